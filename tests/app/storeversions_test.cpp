// Every layout of the store a released version wrote opens in this one: its
// rows in their order, the message still waiting, and the numbers its
// sent rows went out with, which peers still answer with.
#include "cp932.h"
#include "findrows.h"
#include "frmrecv.h"
#include "historybrowser.h"
#include "historykeeper.h"
#include "historymodel.h"
#include "inbox.h"
#include "otherprogram.h"
#include "store.h"
#include "testprogram.h"

#include <QDir>
#include <QFile>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class StoreVersionsTest : public QObject
{
    Q_OBJECT
private slots:
    void olderStoreOpens_data();
    void olderStoreOpens();
    void upgradedLayoutIsTheNewOne_data() { olderStoreOpens_data(); }
    void upgradedLayoutIsTheNewOne();
    void keepingSparesWaitingRows_data();
    void keepingSparesWaitingRows();
};

void StoreVersionsTest::olderStoreOpens_data()
{
    QTest::addColumn<QString>("fixture");
    QTest::addRow("version 1") << QFINDTESTDATA("fixtures/store-v1.db");
}

void StoreVersionsTest::olderStoreOpens()
{
    QFETCH(QString, fixture);
    QVERIFY(!fixture.isEmpty());
    TestProgram t(u"127.0.4.7"_s, QString(), true);
    t.env.stateFolder = t.folder.filePath(u"state"_s);
    QDir().mkpath(t.env.stateFolder);
    const QString db = t.env.stateFolder + u"/portana.db"_s;
    QVERIFY(QFile::copy(fixture, db));
    QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
    QVERIFY(t.start());
    QCOMPARE(t.dialogs.shown.size(), 0);

    const auto rows = [&t] {
        QStringList out;
        HistoryModel &h = part<HistoryModel>(*t.program);
        for (int n = 1; n <= h.rowCount(); ++n) {
            const HistoryRow r = h.row(n);
            out << QStringList{r.date, r.sender, r.recipient, r.sendTime, r.receiveTime, r.message}
                       .join(u'|');
        }
        return out;
    };
    // Its rows are found as soon as it is open, indexed or not yet.
    const auto found = [&t](const QString &typed) {
        return foundMessages(part<HistoryBrowser>(*t.program), typed);
    };
    QCOMPARE(found(u"会議"_s),
             (QStringList{u"会議は 15 時からに変更です"_s, u"明日の会議室は 3 階です"_s}));
    QCOMPARE(found(u"カタカナ"_s), QStringList{u"了解しました\r\nｶﾀｶﾅ"_s});

    QStringList expected{u"26/11/02|taro |鈴木|08:10:00|08:12:30|会議は 15 時からに変更です"_s,
                         u"26/11/02|佐藤 |taro |09:20:00|09:21:05|了解しました\r\nｶﾀｶﾅ"_s,
                         u"26/11/03|Ichi ||10:30:00||明日の会議室は 3 階です"_s,
                         u"26/11/03|taro |Ni|11:40:00||二番目に送った"_s};
    QCOMPARE(rows(), expected);
    QCOMPARE(part<Inbox>(*t.program).recvCount(), 1);

    // The peer opens what was sent as row 2 of its day: row 4 here.
    t.port->feed(cp932::encode(u"Open確認     Ni"_s + sp(18) + u"2       "_s), u"198.18.0.22"_s);
    // A new message, and the waiting one opened: its confirmation names row 5.
    t.port->feed(cp932::encode(u"San"_s + sp(17) + u"12:00:00"_s + u"9       "_s + u"新しい"_s),
                 u"198.18.0.23"_s);
    t.port->sent.clear();
    choose(*t.program, "mnuRecvMsg");
    QTest::mouseClick(windows(*t.program).frmRecv().findChild<QPushButton *>(u"CmdOPCL"_s),
                      Qt::LeftButton);
    QCOMPARE(t.port->sent.size(), 1);
    QCOMPARE(t.port->sent[0].first, u"198.18.0.21"_s);
    QCOMPARE(cp932::decode(t.port->sent[0].second),
             u"Open確認     taro"_s + sp(16) + u"5       "_s);

    expected[2] = u"26/11/03|Ichi |taro |10:30:00|10:15:00|明日の会議室は 3 階です"_s;
    expected[3] = u"26/11/03|taro |Ni|11:40:00|10:15:00|二番目に送った"_s;
    expected << u"26/12/08|San ||10:15:00||新しい"_s;
    QCOMPARE(rows(), expected);
    t.program.reset();
    QVERIFY(t.start());
    QCOMPARE(rows(), expected);
    QCOMPARE(part<Inbox>(*t.program).recvCount(), 2);
    QCOMPARE(found(u"taro"_s),
             (QStringList{u"会議は 15 時からに変更です"_s, u"了解しました\r\nｶﾀｶﾅ"_s,
                          u"明日の会議室は 3 階です"_s, u"二番目に送った"_s}));
    t.program.reset();
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"version"_s);
        c.setDatabaseName(db);
        QVERIFY(c.open());
        QSqlQuery q(c);
        QVERIFY(q.exec(u"PRAGMA user_version"_s) && q.next());
        QCOMPARE(q.value(0).toInt(), 2);
    }
    QSqlDatabase::removeDatabase(u"version"_s);
}

namespace {

// A store's layout as SQLite reports it: each table's columns (name, type,
// not null, default, key), each index's columns, and the text of every
// virtual table and index (their options).
QStringList layout(const QString &file)
{
    QStringList out;
    asOtherProgram(file, [&out](QSqlDatabase &c) {
        QSqlQuery q(c);
        q.exec(u"SELECT m.name, p.name, p.type, p.\"notnull\", p.dflt_value, p.pk"
               " FROM sqlite_master m JOIN pragma_table_info(m.name) p"
               " WHERE m.type = 'table' ORDER BY m.name, p.cid"_s);
        while (q.next())
            out << u"column %1.%2 %3 %4 %5 %6"_s.arg(q.value(0).toString(), q.value(1).toString(),
                                                     q.value(2).toString(), q.value(3).toString(),
                                                     q.value(4).toString(), q.value(5).toString());
        q.exec(u"SELECT m.name, i.name FROM sqlite_master m JOIN pragma_index_info(m.name) i"
               " WHERE m.type = 'index' ORDER BY m.name, i.seqno"_s);
        while (q.next())
            out << u"index %1 %2"_s.arg(q.value(0).toString(), q.value(1).toString());
        q.exec(u"SELECT type, name, sql FROM sqlite_master WHERE type = 'index'"
               " OR sql LIKE 'CREATE VIRTUAL%' ORDER BY name"_s);
        while (q.next())
            out << u"%1 %2: %3"_s.arg(q.value(0).toString(), q.value(1).toString(),
                                      q.value(2).toString());
    });
    return out;
}

} // namespace

// Every step of the ladder, climbed from a released layout, ends where a
// new store begins: the same tables, columns and indexes.
void StoreVersionsTest::upgradedLayoutIsTheNewOne()
{
    QFETCH(QString, fixture);
    QTemporaryDir dir;
    const QString upgraded = dir.filePath(u"old.db"_s);
    QVERIFY(QFile::copy(fixture, upgraded));
    QFile::setPermissions(upgraded, QFile::ReadOwner | QFile::WriteOwner);
    for (const QString &file : {upgraded, dir.filePath(u"new.db"_s)}) {
        Store store;
        QCOMPARE(store.open(file), Store::Problem::None);
    }
    const QStringList fresh = layout(dir.filePath(u"new.db"_s));
    QVERIFY(fresh.size() > 20);
    QCOMPARE(layout(upgraded), fresh);
}

void StoreVersionsTest::keepingSparesWaitingRows_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QStringList>("kept");
    const QString r1 = u"会議は 15 時からに変更です"_s, r2 = u"了解しました\r\nｶﾀｶﾅ"_s,
                  waiting = u"明日の会議室は 3 階です"_s, r4 = u"二番目に送った"_s;
    QTest::addRow("everything") << QByteArray() << QStringList{r1, r2, waiting, r4};
    QTest::addRow("the last row, and the one waiting")
        << QByteArray("[history]\nkeep=rows\ncount=1\n") << QStringList{waiting, r4};
    QTest::addRow("30 days: the one waiting alone")
        << QByteArray("[history]\nkeep=days\ncount=30\n") << QStringList{waiting};
    QTest::addRow("36 days: from 26/11/03 on")
        << QByteArray("[history]\nkeep=days\ncount=36\n") << QStringList{waiting, r4};
    QTest::addRow("37 days: from 26/11/02 on")
        << QByteArray("[history]\nkeep=days\ncount=37\n") << QStringList{r1, r2, waiting, r4};
    QTest::addRow("a count of 0 keeps everything")
        << QByteArray("[history]\nkeep=days\ncount=0\n") << QStringList{r1, r2, waiting, r4};
    QTest::addRow("a count that is no number keeps everything")
        << QByteArray("[history]\nkeep=rows\ncount=x\n") << QStringList{r1, r2, waiting, r4};
}

void StoreVersionsTest::keepingSparesWaitingRows()
{
    QFETCH(QByteArray, ini);
    QFETCH(QStringList, kept);
    TestProgram t(u"127.0.4.8"_s, QString(), true);
    t.env.stateFolder = t.folder.filePath(u"state"_s);
    QDir().mkpath(t.env.stateFolder);
    const QString db = t.env.stateFolder + u"/portana.db"_s;
    QVERIFY(QFile::copy(QFINDTESTDATA("fixtures/store-v1.db"), db));
    QFile::setPermissions(db, QFile::ReadOwner | QFile::WriteOwner);
    QFile file(t.folder.filePath(u"portana.ini"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(ini);
    file.close();
    const auto messages = [&t] {
        HistoryModel &h = part<HistoryModel>(*t.program);
        QStringList out;
        for (int n = 1; n <= h.rowCount(); ++n)
            out << h.row(n).message;
        return out;
    };
    for (int run = 0; run < 2; ++run) {
        QVERIFY(t.start());
        HistoryKeeper &keeper = part<HistoryKeeper>(*t.program);
        QSignalSpy applied(&keeper, &HistoryKeeper::applied);
        QSignalSpy swept(&part<HistoryModel>(*t.program), &HistoryModel::swept);
        if (keeper.busy())
            QVERIFY(applied.wait(5000));
        QCOMPARE(messages(), kept);
        // What left the list leaves the file too.
        if (run == 0 && kept.size() < 4) {
            QVERIFY(!swept.isEmpty() || swept.wait(5000));
            QSqlDatabase c = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"kept"_s);
            c.setDatabaseName(db);
            QVERIFY(c.open());
            QSqlQuery q(c);
            QStringList stored;
            QVERIFY(q.exec(u"SELECT message FROM history ORDER BY key"_s));
            while (q.next())
                stored << q.value(0).toString();
            QCOMPARE(stored, kept);
        }
        QCOMPARE(part<Inbox>(*t.program).recvCount(), 1);
        QCOMPARE(part<Inbox>(*t.program).entry(1).body, u"明日の会議室は 3 階です"_s);
        t.program.reset();
        QSqlDatabase::removeDatabase(u"kept"_s);
    }
}

QTEST_MAIN(StoreVersionsTest)
#include "storeversions_test.moc"
