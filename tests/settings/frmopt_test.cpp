// The options dialog on its own: each check box lands in its own place of
// the settings file.
#include "autostart.h"
#include "fakes.h"
#include "frmopt.h"
#include "portanaini.h"
#include "settingsstore.h"

#include <QCheckBox>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

class FrmOptTest : public QObject
{
    Q_OBJECT
private slots:
    void eachBoxItsOwnField_data();
    void eachBoxItsOwnField();
};

void FrmOptTest::eachBoxItsOwnField_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QByteArray>("from");
    QTest::addColumn<QByteArray>("to");
    QTest::addRow("ChkSend") << "ChkSend" << QByteArray("\n1,0,1,0,0,0\r")
                             << QByteArray("\n0,0,1,0,0,0\r");
    QTest::addRow("ChkSndMin") << "ChkSndMin" << QByteArray("\n1,0,1,0,0,0\r")
                               << QByteArray("\n1,1,1,0,0,0\r");
    QTest::addRow("ChkRecv") << "ChkRecv" << QByteArray("\n1,0,1,0,0,0\r")
                             << QByteArray("\n1,0,0,0,0,0\r");
    QTest::addRow("ChkRcvMin") << "ChkRcvMin" << QByteArray("\n1,0,1,0,0,0\r")
                               << QByteArray("\n1,0,1,1,0,0\r");
    QTest::addRow("ChkOther") << "ChkOther" << QByteArray("\n1,0,1,0,0,0\r")
                              << QByteArray("\n1,0,1,0,1,0\r");
    QTest::addRow("ChkDsp") << "ChkDsp" << QByteArray("\n1,0,1,0,0,0\r")
                            << QByteArray("\n1,0,1,0,0,1\r");
    QTest::addRow("ChkIcon") << "ChkIcon" << QByteArray("\n0\r") << QByteArray("\n1\r");
    QTest::addRow("ChkTime") << "ChkTime" << QByteArray("\",0\r") << QByteArray("\",1\r");
    QTest::addRow("ChkBlink") << "ChkBlink" << QByteArray("\"\",\"\",\"0\"")
                              << QByteArray("\"\",\"\",\"1\"");
}

void FrmOptTest::eachBoxItsOwnField()
{
    QFETCH(QString, box);
    QFETCH(QByteArray, from);
    QFETCH(QByteArray, to);
    QTemporaryDir dir;
    ScriptedDialogs dialogs;
    SettingsStore store(dir.path(), dialogs);
    store.settings().fontName = QStringLiteral("F");
    Autostart autostart(dir.filePath(QStringLiteral("autostart")), QStringLiteral("/p"));
    PortanaIni ini(dir.filePath(QStringLiteral("portana.ini")), {});
    FrmOpt w(
        store, ini, dialogs, [](const QString &) { return true; }, autostart, nullptr);
    QVERIFY(store.optWrite());
    QFile file(store.filePath());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QByteArray expected = file.readAll();
    file.close();
    QCOMPARE(expected.count(from), 1);
    expected.replace(from, to);

    w.findChild<QCheckBox *>(box)->click();
    w.findChild<QPushButton *>(QStringLiteral("CmdWrite"))->click();
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected);
}

QTEST_MAIN(FrmOptTest)
#include "frmopt_test.moc"
