// The history list as the history window and the wire see it.
#include "addrows.h"
#include "fakes.h"
#include "historyfile.h"
#include "historykeeper.h"
#include "historymodel.h"
#include "store.h"
#include "wiring.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class HistoryTest : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void rowsAreNumberedByPosition();
    void everyRowShowsAcrossPages();
    void receivedRowCompletedByOpen();
    void discardCompletesWaitingReceivedRows();
    void resultFromPeer_data();
    void resultFromPeer();
    void rowsKeepTheirIdentity();
    void numbersNeverNameTwoListedRows();
    void numbersComeRoundPastEightDigits();
    void shortNameIsWorkedOutAtEachCompletion();
    void headers();
    void keptAcrossRestartsAndLoads();
    void keepingReadsTheDatesRowsCarry();

private:
    HistoryModel *m_model = nullptr;
    QAbstractItemModelTester *m_tester = nullptr;
    FakeClock m_clock;
    QString m_shortName = QStringLiteral("山田 ");
};

void HistoryTest::init()
{
    m_clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0)));
    m_shortName = QStringLiteral("山田 ");
    m_model = new HistoryModel(m_clock, [this] { return m_shortName; });
    m_tester = new QAbstractItemModelTester(m_model,
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
}

void HistoryTest::cleanup()
{
    delete m_tester;
    delete m_model;
}

static QStringList cells(const HistoryModel &m, int rowNo)
{
    QStringList out;
    for (int c = 0; c < HistoryModel::ColumnCount; ++c)
        out << m.index(rowNo - 1, c).data().toString();
    return out;
}

void HistoryTest::rowsAreNumberedByPosition()
{
    // Two sent, then one received: rows 1, 2 and 3.
    QCOMPARE(m_model->logAddSend(QStringLiteral("鈴木"), QStringLiteral("一通目")), 1);
    m_clock.setTime(QStringLiteral("09:00:05"));
    QCOMPARE(m_model->logAddSend(QStringLiteral("鈴木"), QStringLiteral("二通目")), 2);
    QCOMPARE(m_model->logAddRecv(QStringLiteral("Taro "), QStringLiteral("返事\r\nです")), 3);
    QCOMPARE(cells(*m_model, 1), (QStringList{QStringLiteral("26/12/08"), QStringLiteral("山田 "),
                                              QStringLiteral("鈴木"), QStringLiteral("09:00:00"),
                                              QString(), QStringLiteral("一通目")}));
    QCOMPARE(cells(*m_model, 3),
             (QStringList{QStringLiteral("26/12/08"), QStringLiteral("Taro "), QString(),
                          QStringLiteral("09:00:05"), QString(), QStringLiteral("返事\r\nです")}));
    // A peer whose name field is all blanks shows with an empty sender.
    QCOMPARE(m_model->logAddRecv(QString(), QStringLiteral("x")), 4);
    QCOMPARE(m_model->row(4).sender, QString());
}

// The list reads its rows a page at a time: none is lost at a page's ends.
void HistoryTest::everyRowShowsAcrossPages()
{
    std::vector<HistoryRow> rows;
    for (int n = 1; n <= 200; ++n)
        rows.push_back({u"26/12/"_s + QString::number(n % 18 + 10), u"送%1 "_s.arg(n),
                        u"受%1"_s.arg(n), u"09:00:00"_s, QString(), u"本文%1"_s.arg(n)});
    QVERIFY(addRows(*m_model, rows));
    m_model->logAddRecv(u"最後 "_s, u"二百一"_s);
    QCOMPARE(m_model->rowCount(), 201);
    for (int n = 1; n <= 200; ++n)
        QCOMPARE(cells(*m_model, n)[HistoryModel::MessageCol], u"本文%1"_s.arg(n));
    QCOMPARE(cells(*m_model, 201)[HistoryModel::SenderCol], u"最後 "_s);
}

void HistoryTest::receivedRowCompletedByOpen()
{
    const int row = m_model->logAddRecv(QStringLiteral("Taro "), QStringLiteral("hi"));
    m_clock.setTime(QStringLiteral("10:15:00"));
    m_model->logSetOpen(m_model->keyOf(row));
    QCOMPARE(m_model->row(row).recipient, QStringLiteral("山田 "));
    QCOMPARE(m_model->row(row).receiveTime, QStringLiteral("10:15:00"));
    m_model->logSetOpen(m_model->keyOf(row + 1)); // beyond the list: nothing
    m_model->logSetOpen(0);
    QCOMPARE(m_model->rowCount(), 1);
}

void HistoryTest::discardCompletesWaitingReceivedRows()
{
    // Two received and one sent, all waiting; one received already opened.
    const int first = m_model->logAddRecv(QStringLiteral("A "), QStringLiteral("1"));
    const int second = m_model->logAddRecv(QStringLiteral("B "), QStringLiteral("2"));
    const int sent = m_model->logAddSend(QStringLiteral("C"), QStringLiteral("3"));
    const int done = m_model->logAddRecv(QStringLiteral("D "), QStringLiteral("4"));
    const int last = m_model->logAddRecv(QStringLiteral("E "), QStringLiteral("5"));
    m_clock.setTime(QStringLiteral("09:30:00"));
    m_model->logSetOpen(m_model->keyOf(done));

    for (int row = 1; row <= last; ++row)
        cells(*m_model, row); // on screen before, as a view paints them
    QSignalSpy changed(m_model, &QAbstractItemModel::dataChanged);
    m_clock.setTime(QStringLiteral("10:00:00"));
    m_model->logSetDiscard();
    // The views hear of exactly the rows that changed.
    QSet<int> reported;
    for (const QList<QVariant> &signal : changed)
        for (int r = signal[0].toModelIndex().row(); r <= signal[1].toModelIndex().row(); ++r)
            reported << r + 1;
    QCOMPARE(reported, (QSet<int>{first, second, last}));
    for (int row : {first, second, last}) {
        QCOMPARE(cells(*m_model, row)[HistoryModel::ReceiveTimeCol], QStringLiteral("10:00:00*"));
        QCOMPARE(cells(*m_model, row)[HistoryModel::RecipientCol], QStringLiteral("山田 "));
    }
    QCOMPARE(m_model->row(done).receiveTime, QStringLiteral("09:30:00"));
    // The sent row still waits for its peer.
    QCOMPARE(m_model->row(sent).receiveTime, QString());
    QCOMPARE(m_model->row(sent).recipient, QStringLiteral("C"));

    // Opening the second later overwrites its discard mark.
    m_clock.setTime(QStringLiteral("10:05:00"));
    m_model->logSetOpen(m_model->keyOf(second));
    QCOMPARE(m_model->row(second).receiveTime, QStringLiteral("10:05:00"));
    // A peer's confirmation replaces the time and leaves the recipient.
    m_clock.setTime(QStringLiteral("10:06:00"));
    m_model->logSetResult(sent, false);
    QCOMPARE(m_model->row(sent).receiveTime, QStringLiteral("10:06:00"));
    QCOMPARE(m_model->row(sent).recipient, QStringLiteral("C"));

    // Rows loaded from a file: waiting with nobody as recipient, a peer's;
    // with one, this user's own, still waiting for its peer.
    const auto loaded =
        historyfile::read("\"FileName:dataFile\",#2026-12-08#,#09:05:07#,\"\"\r\n"
                          "\"26/12/07\",\"F \",\"\",\"08:00:00\",\"\",\"6\"\r\n"
                          "\"26/12/07\",\"山田 \",\"G\",\"08:01:00\",\"\",\"7\"\r\n");
    QVERIFY(addRows(*m_model, loaded.rows));
    m_clock.setTime(QStringLiteral("10:07:00"));
    m_model->logSetDiscard();
    QCOMPARE(m_model->row(last + 1).receiveTime, QStringLiteral("10:07:00*"));
    QCOMPARE(m_model->row(last + 2).receiveTime, QString());
}

void HistoryTest::resultFromPeer_data()
{
    QTest::addColumn<int>("rowNo");
    QTest::addColumn<bool>("discarded");
    QTest::addColumn<QStringList>("receiveTimes");
    QTest::addRow("open names row 2")
        << 2 << false << QStringList{QString(), QStringLiteral("11:00:00"), QString()};
    QTest::addRow("discard names row 3")
        << 3 << true << QStringList{QString(), QString(), QStringLiteral("11:00:00*")};
    QTest::addRow("row 4 is beyond the list")
        << 4 << false << QStringList{QString(), QString(), QString()};
    QTest::addRow("no number (hold)") << 0 << false << QStringList{QString(), QString(), QString()};
}

void HistoryTest::resultFromPeer()
{
    QFETCH(int, rowNo);
    QFETCH(bool, discarded);
    QFETCH(QStringList, receiveTimes);
    for (int i = 0; i < 3; ++i)
        m_model->logAddSend(QStringLiteral("鈴木"), QStringLiteral("m"));
    m_clock.setTime(QStringLiteral("11:00:00"));
    m_model->logSetResult(rowNo, discarded);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(m_model->row(i + 1).receiveTime, receiveTimes[i]);
        QCOMPARE(m_model->row(i + 1).recipient, QStringLiteral("鈴木"));
    }
}

void HistoryTest::rowsKeepTheirIdentity()
{
    m_model->logSetResult(1, false); // empty list: nothing
    QCOMPARE(m_model->rowCount(), 0);
    for (int i = 0; i < 5; ++i)
        m_model->logAddSend(QStringLiteral("x"), QStringLiteral("m"));
    const qint64 received = m_model->keyOf(m_model->logAddRecv(QStringLiteral("r "), u"m"_s));
    m_model->clear(); // 履歴ｸﾘｱ
    m_model->logAddSend(QStringLiteral("y"), QStringLiteral("new 1"));
    m_model->logAddSend(QStringLiteral("y"), QStringLiteral("new 2"));
    m_model->logSetResult(3, false); // its row went with the clear
    QVERIFY(m_model->row(1).receiveTime.isEmpty() && m_model->row(2).receiveTime.isEmpty());
    // Numbers given out before the clear are not given again: an answer
    // to one of them completes nothing.
    QCOMPARE(m_model->logAddSend(QStringLiteral("y"), QStringLiteral("new 3")), 8);
    m_model->logSetResult(3, false);
    QVERIFY(m_model->row(3).receiveTime.isEmpty());
    m_model->logSetResult(8, false);
    QCOMPARE(m_model->row(3).receiveTime, QStringLiteral("09:00:00"));
    for (int i = 0; i < 3; ++i)
        m_model->logAddRecv(QStringLiteral("z "), QStringLiteral("m"));
    m_model->logSetOpen(received); // a message opened after the clear: its row is gone
    QVERIFY(m_model->row(6).receiveTime.isEmpty());

    // 読込: an archive row where a sent one stood takes no peer's answer.
    m_model->clear();
    addRows(*m_model, {{u"25/01/01"_s, u"Old"_s, u"taro"_s, u"10:00:00"_s, {}, u"a"_s},
                       {u"25/01/01"_s, u"Old"_s, u"taro"_s, u"10:01:00"_s, {}, u"b"_s},
                       {u"25/01/01"_s, u"Old"_s, u"taro"_s, u"10:02:00"_s, {}, u"c"_s}});
    m_model->logSetResult(3, false);
    m_model->logSetResult(1, true);
    for (int r = 1; r <= 3; ++r)
        QCOMPARE(m_model->row(r).receiveTime, QString());
}

// Keeping removes the oldest rows: a late answer still completes the row
// it was sent for, and an answer to a row no longer listed completes none.
void HistoryTest::numbersNeverNameTwoListedRows()
{
    for (const QString &to : {u"鈴木"_s, u"田中"_s, u"伊藤"_s, u"渡辺"_s, u"佐藤"_s})
        m_model->logAddSend(to, u"m"_s);
    QCOMPARE(m_model->unlist(0, 2, [](qint64) { return false; }), 0);
    QCOMPARE(m_model->logAddSend(u"山本"_s, u"m"_s), 6);
    QCOMPARE(m_model->logAddSend(u"高橋"_s, u"m"_s), 7);
    m_clock.setTime(u"10:00:00"_s);
    m_model->logSetResult(5, false); // 佐藤's, late
    m_model->logSetResult(1, true);  // 鈴木's row is no longer listed
    QStringList rows;
    for (int n = 1; n <= m_model->rowCount(); ++n)
        rows << m_model->row(n).recipient + u'|' + m_model->row(n).receiveTime;
    QCOMPARE(rows,
             (QStringList{u"伊藤|"_s, u"渡辺|"_s, u"佐藤|10:00:00"_s, u"山本|"_s, u"高橋|"_s}));
}

// The reference field holds eight digits: past 99999999 the numbers start
// at 1 again, and when they come round to rows still waiting for their
// answers, those numbers are passed over.
void HistoryTest::numbersComeRoundPastEightDigits()
{
    Store store;
    store.open({});
    HistoryModel history(store, m_clock, [] { return u"山田 "_s; });
    wiring::storeToHistory(store, history);
    const auto numbersFrom = [&store](qint64 last) {
        store.begin();
        store.setMeta(u"lastSentNo"_s, last);
        store.end();
    };
    numbersFrom(99999998);
    QCOMPARE(history.logAddSend(u"一"_s, u"a"_s), 99999999);
    QCOMPARE(history.logAddSend(u"二"_s, u"b"_s), 1);
    QCOMPARE(history.logAddSend(u"三"_s, u"c"_s), 3); // its row number, past the last
    numbersFrom(99999998);                            // round again, the three still waiting
    QCOMPARE(history.logAddSend(u"四"_s, u"d"_s), 2);
    m_clock.setTime(u"12:00:00"_s);
    history.logSetResult(99999999, false);
    QStringList rows;
    for (int n = 1; n <= history.rowCount(); ++n)
        rows << history.row(n).recipient + u'|' + history.row(n).receiveTime;
    QCOMPARE(rows, (QStringList{u"一|12:00:00"_s, u"二|"_s, u"三|"_s, u"四|"_s}));
}

void HistoryTest::shortNameIsWorkedOutAtEachCompletion()
{
    const int row = m_model->logAddRecv(QStringLiteral("P "), QStringLiteral("m"));
    m_shortName = QStringLiteral("Hanako ");
    m_model->logSetOpen(m_model->keyOf(row));
    QCOMPARE(m_model->row(row).recipient, QStringLiteral("Hanako "));
    QCOMPARE(m_model->logAddSend(QStringLiteral("P"), QStringLiteral("m")), 2);
    QCOMPARE(m_model->row(2).sender, QStringLiteral("Hanako "));
}

void HistoryTest::headers()
{
    const QStringList expected{QStringLiteral(" 送信日"),  QStringLiteral("送信者"),
                               QStringLiteral("受信者"),   QStringLiteral("送信時間"),
                               QStringLiteral("受信時間"), QStringLiteral("ﾒｯｾｰｼﾞ")};
    for (int c = 0; c < HistoryModel::ColumnCount; ++c)
        QCOMPARE(m_model->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString(), expected[c]);
    QCOMPARE(m_model->headerData(HistoryModel::SendTimeCol, Qt::Horizontal, Qt::TextAlignmentRole)
                 .toInt(),
             int(Qt::AlignCenter));
}

// What the list holds, one "sender|receive time|message" a row.
static QStringList listed(const HistoryModel &m)
{
    QStringList out;
    for (int r = 1; r <= m.rowCount(); ++r)
        out << cells(m, r)[HistoryModel::SenderCol] + u'|' +
                   cells(m, r)[HistoryModel::ReceiveTimeCol] + u'|' +
                   cells(m, r)[HistoryModel::MessageCol];
    return out;
}

// A store on disk, opened again as a restarted copy opens it.
void HistoryTest::keptAcrossRestartsAndLoads()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"portana.db"_s);
    const auto file = [](const QString &message) {
        return std::vector<HistoryRow>{
            {u"25/01/02"_s, u"古川 "_s, u"山田 "_s, u"08:00:00"_s, u"08:01:00"_s, message}};
    };
    {
        Store store;
        QCOMPARE(store.open(path), Store::Problem::None);
        HistoryModel m(store, m_clock, [] { return u"山田 "_s; });
        wiring::storeToHistory(store, m);
        m.logAddSend(u"鈴木"_s, u"一"_s);
        m.logAddRecv(u"佐藤 "_s, u"二"_s);
        // 追加読込: a message arriving meanwhile comes before the file's rows.
        QVERIFY(m.beginLoad(100, false));
        m.stage(file(u"古い"_s));
        m.logAddRecv(u"高橋 "_s, u"三"_s);
        m.finishLoad();
        // A load the program never finished (it ended first).
        QVERIFY(m.beginLoad(100, true));
        m.stage(file(u"途中"_s));
    }
    const QStringList kept{u"山田 ||一"_s, u"佐藤 ||二"_s, u"高橋 ||三"_s,
                           u"古川 |08:01:00|古い"_s};
    Store store;
    QCOMPARE(store.open(path), Store::Problem::None);
    HistoryModel m(store, m_clock, [] { return u"山田 "_s; });
    wiring::storeToHistory(store, m);
    QCOMPARE(listed(m), kept);
    // The peer answers the message sent before the restart with its row number.
    m_clock.setTime(u"09:30:00"_s);
    m.logSetResult(1, false);
    QCOMPARE(cells(m, 1)[HistoryModel::ReceiveTimeCol], u"09:30:00"_s);
    // 読込 replaces what the list held when it began; an arrival meanwhile stays.
    QVERIFY(m.beginLoad(100, true));
    m.logAddRecv(u"伊藤 "_s, u"四"_s);
    m.stage(file(u"新しい"_s));
    m.finishLoad();
    QCOMPARE(listed(m), (QStringList{u"伊藤 ||四"_s, u"古川 |08:01:00|新しい"_s}));
    m.logSetResult(1, false); // that row is gone: nothing changes
    QCOMPARE(cells(m, 1)[HistoryModel::ReceiveTimeCol], QString());
}

void HistoryTest::keepingReadsTheDatesRowsCarry()
{
    // The last 10 days on 26/12/09: from 26/11/30 on. A file from elsewhere
    // may write the year whole; a date that does not read is never too old,
    // and the rows after it stay too.
    m_clock.set(QDateTime(QDate(2026, 12, 9), QTime(9, 0, 0)));
    QVERIFY(addRows(*m_model, {{u"2026/11/01"_s, u"a "_s, {}, u"08:00:00"_s, {}, u"1"_s},
                               {u"26/11/29"_s, u"b "_s, {}, u"08:00:00"_s, {}, u"2"_s},
                               {u"昨日"_s, u"c "_s, {}, u"08:00:00"_s, {}, u"3"_s},
                               {u"26/11/02"_s, u"d "_s, {}, u"08:00:00"_s, {}, u"4"_s}}));
    m_model->logAddRecv(u"e "_s, u"5"_s);
    HistoryKeeper keeper(*m_model, m_clock, [](qint64) { return false; });
    QSignalSpy applied(&keeper, &HistoryKeeper::applied);
    const auto listed = [this] {
        QStringList out;
        for (int n = 1; n <= m_model->rowCount(); ++n)
            out << m_model->row(n).message;
        return out;
    };
    keeper.setRule({KeepRule::Keep::Days, 10});
    keeper.apply();
    QVERIFY(applied.wait(2000));
    QCOMPARE(listed(), (QStringList{u"3"_s, u"4"_s, u"5"_s}));
    // The last N rows count every row, whatever its date.
    keeper.setRule({KeepRule::Keep::Rows, 2});
    keeper.apply();
    QVERIFY(applied.wait(2000));
    QCOMPARE(listed(), (QStringList{u"4"_s, u"5"_s}));
}

QTEST_GUILESS_MAIN(HistoryTest)
#include "history_test.moc"
