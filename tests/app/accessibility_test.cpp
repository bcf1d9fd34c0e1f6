// Every window as assistive technology reads it: each control a person can
// reach has a role and a name a person understands.
#include "cp932.h"
#include "frmipset.h"
#include "frmletter.h"
#include "frmlog.h"
#include "frmmsgopen.h"
#include "frmopt.h"
#include "frmoption.h"
#include "frmrecv.h"
#include "frmsnd.h"
#include "frmversion.h"
#include "testprogram.h"
#include "userlistmodel.h"
#include "wire.h"

#include <QAccessible>
#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
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
    void keyboardAlone();
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
    windows(p).showArrivalButton();
    check(windows(p).frmMsgOpen());
    missing.removeDuplicates();
    QVERIFY2(missing.isEmpty(), qPrintable(missing.join(u"\n"_s)));
}

void AccessibilityTest::keyboardAlone()
{
    // A desktop without a tray, used without a mouse: the send window waits
    // on the task bar, and the window manager's keys bring it up.
    TestProgram t(A, u"127.0.6.255"_s, true);
    t.tray.hasTray = false;
    QVERIFY(t.start());
    Program &p = *t;
    FrmSnd &snd = windows(p).frmSnd();
    const auto bringUp = [](QWidget &w) {
        w.showNormal();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
    };
    bringUp(snd);
    t.port->feed(cp932::encode(wire::searchReply(u"hanako"_s, {}, {}, u"花子"_s, true)),
                 u"127.0.6.5"_s);
    const auto focused = [] { return QApplication::focusWidget()->objectName(); };
    const auto press = [](QKeySequence keys) {
        QTest::keySequence(QApplication::focusWidget(), keys);
    };

    // Tab goes as the eye reads: the recipient, the groups, the list, the
    // message, then the buttons down the right.
    control<QLineEdit>(snd, "TxtTO")->setFocus();
    QStringList order;
    for (int i = 0; i < 7; ++i) {
        order << focused();
        press(QKeySequence(Qt::Key_Tab));
    }
    QCOMPARE(order, (QStringList{u"TxtTO"_s, u"CboGroup"_s, u"ListView1"_s, u"TxtMsg"_s,
                                 u"CmdKensaku"_s, u"CmdSend"_s, u"CmdCancel"_s}));

    // Enter chooses 花子, where the list's cursor stands, and the message follows.
    control<QTreeView>(snd, "ListView1")->doItemsLayout(); // as the next paint would
    control<QTreeView>(snd, "ListView1")->setFocus();
    press(QKeySequence(Qt::Key_Return)); // the row Tab came to, not yet chosen
    QCOMPARE(control<QLineEdit>(snd, "TxtTO")->text(), u"花子"_s);
    QCOMPARE(focused(), u"TxtMsg"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"see you"_s);
    t.port->sent.clear();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    // A pressed button clicks as a click does, a moment later.
    QTRY_COMPARE(t.port->sent.size(), size_t(1));
    QCOMPARE(t.port->sent[0].first, u"127.0.6.5"_s);
    QVERIFY(cp932::decode(t.port->sent[0].second).endsWith(u"1       see you"_s));

    // An answer arrives. F10 opens the tray's menu; R shows the message.
    t.port->feed(cp932::encode(u"花子"_s + QString(18, u' ') + u"09:08:073       了解"_s),
                 u"127.0.6.5"_s);
    bringUp(snd);
    press(QKeySequence(Qt::Key_F10));
    QTRY_VERIFY(QApplication::activePopupWidget());
    QTest::keyClick(QApplication::activePopupWidget(), Qt::Key_R);
    FrmRecv &recv = windows(p).frmRecv();
    QTRY_VERIFY(recv.isActiveWindow());
    t.port->sent.clear();
    press(QKeySequence(u"Alt+O"_s));
    QTRY_VERIFY(control<QPlainTextEdit>(recv, "Text1")->isVisible());
    QCOMPARE(control<QPlainTextEdit>(recv, "Text1")->toPlainText(), u"了解"_s);
    control<QPlainTextEdit>(recv, "Text1")->setFocus();
    press(QKeySequence(Qt::Key_Tab));
    QCOMPARE(focused(), u"Text2"_s);
    QTest::keyClicks(QApplication::focusWidget(), u"ok"_s);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    QTRY_COMPARE(t.port->sent.size(), size_t(2));
    QStringList sent;
    for (const auto &[to, bytes] : t.port->sent)
        sent << to + u'|' + cp932::decode(bytes);
    // The sender is told of the opening, then the reply leaves as a message
    // with this copy's own row.
    QCOMPARE(sent.size(), 2);
    QCOMPARE(sent[0], u"127.0.6.5|Open確認     taro"_s + QString(16, u' ') + u"3       "_s);
    QVERIFY2(sent[1].startsWith(u"127.0.6.5|taro"_s + QString(16, u' ')) &&
                 sent[1].endsWith(u"3       ok"_s),
             qPrintable(sent[1]));
    QVERIFY(!recv.isVisible());
}

QTEST_MAIN(AccessibilityTest)
#include "accessibility_test.moc"
