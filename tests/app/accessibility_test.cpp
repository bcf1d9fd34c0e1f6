// Every window as assistive technology reads it: each control a person can
// reach has a role and a name a person understands.
#include "cp932.h"
#include "frmipset.h"
#include "frmletter.h"
#include "frmlog.h"
#include "frmopt.h"
#include "frmoption.h"
#include "frmrecv.h"
#include "frmsnd.h"
#include "frmversion.h"
#include "testprogram.h"
#include "userlistmodel.h"
#include "wire.h"

#include <QAccessible>
#include <QTabBar>
#include <QTest>
#include <QTreeView>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString A = u"127.0.6.1"_s;

// Roles whose name is what is read of them; a container, a label or a bar
// is read through what it holds.
bool needsName(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Button:
    case QAccessible::CheckBox:
    case QAccessible::RadioButton:
    case QAccessible::EditableText:
    case QAccessible::ComboBox:
    case QAccessible::SpinBox:
    case QAccessible::List:
    case QAccessible::Table:
    case QAccessible::Tree:
    case QAccessible::Graphic:
    case QAccessible::PageTab:
        return true;
    default:
        return false;
    }
}

// The visible controls of window that have no name: object name and role.
QStringList unnamed(QWidget *window)
{
    QStringList out;
    QList<QWidget *> widgets = window->findChildren<QWidget *>();
    for (QWidget *w : widgets) {
        if (!w->isVisibleTo(window) || w->objectName() == u"qt_scrollarea_viewport")
            continue;
        QAccessibleInterface *face = QAccessible::queryAccessibleInterface(w);
        if (!face || !needsName(face->role()))
            continue;
        if (face->text(QAccessible::Name).trimmed().isEmpty())
            out << w->objectName() + u'/' + QString::number(face->role(), 16);
    }
    return out;
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT
private slots:
    void everyControlHasAName();
};

void AccessibilityTest::everyControlHasAName()
{
    TestProgram t(A, u"127.0.6.255"_s, true);
    QVERIFY(t.start());
    Program &p = *t;
    QStringList missing;
    const auto check = [&missing](QWidget *w) {
        if (!w) {
            missing << u"(no window)"_s;
            return;
        }
        for (const QString &m : unnamed(w))
            missing << w->objectName() + u": "_s + m;
    };
    choose(p, "mnuSendMsg");
    check(&windows(p).frmSnd());
    // A peer's row reads as one sentence: who, and whether a note waits.
    t.port->feed(cp932::encode(wire::searchReply(u"hanako"_s, {}, {}, u"花子"_s, true)),
                 u"127.0.6.5"_s);
    t.port->feed(cp932::encode(wire::searchReply(u"jiro"_s, {}, {}, u"次郎"_s, false)),
                 u"127.0.6.6"_s);
    QCOMPARE(part<UserListModel>(p).rowCount(), 2);
    auto *list = control<QTreeView>(windows(p).frmSnd(), "ListView1");
    list->doItemsLayout(); // as the next paint would
    QAccessibleTableInterface *peers =
        QAccessible::queryAccessibleInterface(list)->tableInterface();
    QVERIFY(peers);
    QStringList read;
    for (int row = 0; row < peers->rowCount(); ++row)
        read << peers->cellAt(row, 0)->text(QAccessible::Name) + u" | "_s +
                    peers->cellAt(row, 1)->text(QAccessible::Name);
    QCOMPARE(read, (QStringList{u"花子、置き手紙あり | 置き手紙あり"_s, u"次郎 | 置き手紙なし"_s}));
    t.port->feed(QByteArray("Suzuki              09:08:073       hello"), u"127.0.6.9"_s);
    choose(p, "mnuRecvMsg");
    check(&windows(p).frmRecv());
    choose(p, "mnuLog");
    check(windows(p).frmLog());
    choose(p, "mnuLetter");
    check(windows(p).frmLetter());
    choose(p, "mnuAbout");
    check(windows(p).frmVersion());
    choose(p, "mnuIcon");
    check(&windows(p).frmOption());
    choose(p, "mnuOther");
    FrmOpt *o = windows(p).frmOpt();
    for (int page = 0; page < 6; ++page) {
        control<QTabBar>(o, "TabStrip1")->setCurrentIndex(page);
        check(o);
    }
    windows(p).openIpSet();
    check(windows(p).frmIPset());
    missing.removeDuplicates();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u"\n"_s)));
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
