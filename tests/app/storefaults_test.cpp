// The store under a failing disk: one scripted session is run once for
// every write it makes, that write failed (a full disk, then an I/O error),
// and the copy started again. What a sender was told arrived is kept, what
// it was told was refused is nowhere, and the windows show what the store
// holds.
#include "control.h"
#include "cp932.h"
#include "faultyvfs.h"
#include "findrows.h"
#include "frmlog.h"
#include "frmrecv.h"
#include "historybrowser.h"
#include "historymodel.h"
#include "inbox.h"
#include "testprogram.h"
#include "traycontroller.h"

#include <QAction>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Self = u"127.0.4.2"_s;

// What a user sees of a copy: every history row and every waiting entry.
struct Seen
{
    QStringList rows;
    QStringList waiting;
    bool operator==(const Seen &) const = default;
};

Seen seen(Program &p)
{
    Seen s;
    for (int n = 1; n <= part<HistoryModel>(p).rowCount(); ++n) {
        const HistoryRow r = part<HistoryModel>(p).row(n);
        s.rows << QStringList{r.date, r.sender, r.recipient, r.sendTime, r.receiveTime, r.message}
                      .join(u'|');
    }
    for (int n = 1; n <= part<Inbox>(p).recvCount(); ++n) {
        const InboxEntry &e = part<Inbox>(p).entry(n);
        s.waiting << e.recvName + u'|' + e.recvIp + u'|' + e.body + (e.recvOpen ? u"|開"_s : u""_s);
    }
    return s;
}

// The bodies in the store's file, read as another program would.
QStringList storedBodies(const QString &db)
{
    QStringList bodies;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"reader"_s);
        c.setDatabaseName(db);
        c.setConnectOptions(u"QSQLITE_OPEN_READONLY"_s);
        if (c.open()) {
            QSqlQuery q(c);
            q.exec(u"SELECT message FROM history UNION ALL SELECT body FROM inbox"_s);
            while (q.next())
                bodies << q.value(0).toString();
        }
    }
    QSqlDatabase::removeDatabase(u"reader"_s);
    return bodies;
}

struct Session
{
    QTemporaryDir dir;
    std::unique_ptr<TestProgram> t;
    QStringList acked;
    QStringList refused;
    QString db() const { return dir.filePath(u"state/portana.db"_s); }

    Program &start()
    {
        t = std::make_unique<TestProgram>(Self, QString(), true);
        t->env.stateFolder = dir.filePath(u"state"_s);
        t->start();
        return **t;
    }
    // Peers at 127.0.5.x send these bodies in one batch; gives those acknowledged.
    QStringList batch(int firstHost, const QStringList &bodies)
    {
        QStringList ok;
        QList<QPair<QByteArray, QString>> datagrams;
        for (int i = 0; i < bodies.size(); ++i)
            datagrams << qMakePair(
                cp932::encode(u"Peer"_s + QString::number(firstHost + i) + sp(14) + u"12:34:56"_s +
                              QString::number(i + 3).leftJustified(8) + bodies[i]),
                u"127.0.5.%1"_s.arg(firstHost + i));
        t->port->sent.clear();
        t->port->feedBatch(datagrams);
        for (const auto &[to, bytes] : std::as_const(t->port->sent)) {
            const int i = to.section(u'.', 3).toInt() - firstHost;
            const QString answer = cp932::decode(bytes);
            if (answer.startsWith(u"送信         "_s))
                ok << bodies[i];
            else if (answer == u"OTHER送信"_s)
                refused << bodies[i];
        }
        acked << ok;
        return ok;
    }
    void click(QWidget *window, const char *name)
    {
        QPushButton *b = window->findChild<QPushButton *>(QLatin1String(name));
        QVERIFY2(b, name);
        QTest::mouseClick(b, Qt::LeftButton);
    }
};

} // namespace

class StoreFaultsTest : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase() { faultyvfs::install(); }
    void eachWriteFailedInTurn_data();
    void eachWriteFailedInTurn();
};

void StoreFaultsTest::eachWriteFailedInTurn_data()
{
    QTest::addColumn<int>("fault");
    QTest::addRow("full disk") << int(faultyvfs::Fault::Full);
    QTest::addRow("I/O error") << int(faultyvfs::Fault::IoError);
}

void StoreFaultsTest::eachWriteFailedInTurn()
{
    QFETCH(int, fault);
    QTemporaryDir files;
    const QString historyFile = files.filePath(u"old.csv"_s);
    {
        QFile f(historyFile);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(cp932::encode(
            u"\"26/11/30\",\"Old \",\"taro \",\"08:00:00\",\"08:01:00\",\"古い一\"\r\n"
            u"\"26/11/30\",\"Old \",\"taro \",\"09:00:00\",\"\",\"古い二\"\r\n"));
    }
    int runs = 0;
    for (int nth = 1;; ++nth) {
        Session s;
        Program &p = s.start();
        faultyvfs::arm(nth, faultyvfs::Fault(fault));
        // Big enough to spill SQLite's cache: a write fails inside a statement too.
        const QString filler(16000, u'詰');
        const QStringList acked1 =
            s.batch(10, {u"一番"_s + filler, u"二番"_s + filler, u"三番"_s + filler});
        const QStringList stored1 = storedBodies(s.db());
        const QStringList acked2 = s.batch(20, {u"四番"_s, u"五番"_s});
        const QStringList stored2 = storedBodies(s.db());
        s.t->tray.press(TrayHost::Event::LeftButtonDown);
        QWidget &recv = windows(p).frmRecv();
        s.click(&recv, "CmdOPCL");
        recv.findChild<QPlainTextEdit *>(u"Text2"_s)->setPlainText(u"返事"_s);
        s.click(&recv, "CmdCback");
        s.click(&recv, "CmdCancel");
        s.click(&recv, "CmdDel");
        control<QAction>(part<TrayController>(p).menu(), "mnuLog")->trigger();
        s.click(static_cast<QWidget *>(windows(p).frmLog()), "CmdClear");
        const QStringList acked3 = s.batch(30, {u"六番"_s, u"七番"_s});
        s.t->dialogs.fileNames << historyFile;
        QAction *add =
            static_cast<QWidget *>(windows(p).frmLog())->findChild<QAction *>(u"mnuAdd"_s);
        // The menu item comes back on when the load has ended.
        QEventLoop loaded;
        connect(add, &QAction::enabledChanged, &loaded, [&loaded](bool on) {
            if (on)
                loaded.quit();
        });
        QTimer::singleShot(5000, &loaded, &QEventLoop::quit);
        add->trigger();
        if (!add->isEnabled())
            loaded.exec();
        QVERIFY(add->isEnabled());
        const bool struck = faultyvfs::struck();
        faultyvfs::arm(0, faultyvfs::Fault::Full);
        ++runs;
        const QString where = u"write %1 failed"_s.arg(nth);
        // The disk is back: the next message is kept, whatever failed before.
        const QStringList acked4 = s.batch(40, {u"八番"_s});
        QVERIFY2(acked4 == QStringList{u"八番"_s}, qPrintable(where + u": not kept after"_s));

        // Each batch of arrivals has one fate, in the file as on the wire:
        // an acknowledged message is a history row and a waiting entry.
        QCOMPARE(s.acked.size() + s.refused.size(), 8);
        for (const QString &body : acked1)
            QVERIFY2(stored1.count(body) == 2, qPrintable(where + u": "_s + body));
        for (const QString &body : acked2)
            QVERIFY2(stored2.count(body) == 2, qPrintable(where + u": "_s + body));
        for (const QString &body : s.refused)
            QVERIFY2(!stored2.contains(body), qPrintable(where + u": "_s + body));
        for (const QStringList &one : {acked1, acked2, acked3})
            QVERIFY2(one.isEmpty() || one.size() == (one == acked1 ? 3 : 2),
                     qPrintable(where + u": one batch, one fate"_s));
        if (!struck)
            QCOMPARE(s.refused, QStringList());
        else
            QVERIFY2(!s.t->dialogs.shown.isEmpty(), qPrintable(where + u": nobody told"_s));

        // Started again, the copy shows what the failing one showed.
        const Seen before = seen(p);
        s.t->program.reset();
        s.t->start();
        const Seen after = seen(**s.t);
        QVERIFY2(after == before,
                 qPrintable(where + u":\n"_s + before.rows.join(u'\n') + u"\n--\n"_s +
                            after.rows.join(u'\n') + u"\n"_s + before.waiting.join(u'\n') +
                            u"\n--\n"_s + after.waiting.join(u'\n')));
        const QString all = after.rows.join(u'\n') + after.waiting.join(u'\n');
        for (const QString &body : s.refused)
            QVERIFY2(!all.contains(body), qPrintable(where + u": refused "_s + body));
        for (const QString &body : acked3 + acked4)
            QVERIFY2(after.rows.join(u'\n').contains(body) &&
                         after.waiting.join(u'\n').contains(body),
                     qPrintable(where + u": acknowledged "_s + body));
        for (const QString &row : after.rows)
            QVERIFY2(!row.startsWith(u'|') && !row.endsWith(u'|'),
                     qPrintable(where + u": empty row"_s));
        // The search finds every row that shows the word, and no other: the
        // index went with its rows, or they wait for the indexer.
        QStringList expected;
        for (const QString &row : after.rows)
            if (row.section(u'|', 5).contains(u"番"_s))
                expected << row.section(u'|', 5).left(HistoryModel::ListedChars);
        QCOMPARE(foundMessages(part<HistoryBrowser>(**s.t), u"番"_s), expected);
        if (!struck)
            break;
    }
    qInfo("%d runs, each failing one write", runs);
    QVERIFY(runs > 20);
}

QTEST_MAIN(StoreFaultsTest)
#include "storefaults_test.moc"
