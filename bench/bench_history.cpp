// The history at a million rows in a store on disk: adding and completing
// rows, discarding, the window over it; the history file saved and loaded,
// and a 200 MB file loaded while the event loop keeps turning.
#include "addrows.h"
#include "control.h"
#include "dialogs.h"
#include "fakes.h"
#include "frmlog.h"
#include "historybrowser.h"
#include "historyfile.h"
#include "historykeeper.h"
#include "historyloader.h"
#include "historymodel.h"
#include "historysearch.h"
#include "historyview.h"
#include "rss.h"
#include "store.h"
#include "systemclock.h"
#include "wiring.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

// An office's messages: Japanese and ASCII words in any order, names,
// dates over three years; the same for the same i.
HistoryRow sample(int i)
{
    static const QStringList words =
        QStringLiteral("明日 会議 資料 確認 お願い します 了解 しました 午後 から 時 打ち合わせ "
                       "出張 報告 来週 予定 変更 です 本日 休み 宜しく 電話 ください 東京 大阪 "
                       "会議室 弁当 注文 サーバ 再起動 ﾒｰﾙ 見て build deploy test OK meeting PC "
                       "ログ の は を に が で と ｶﾀｶﾅ 。 、 \r\n")
            .split(u' ');
    static const QStringList names = {QStringLiteral("鈴木 "), QStringLiteral("山田 "),
                                      QStringLiteral("佐藤 "), QStringLiteral("taro "),
                                      QStringLiteral("Ichi "), QStringLiteral("田中 "),
                                      QStringLiteral("高橋 "), QStringLiteral("渡辺 ")};
    quint32 x = quint32(i) * 2654435761u + 1;
    const auto next = [&x](quint32 n) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        return x % n;
    };
    QString message;
    for (quint32 n = 3 + next(13); n > 0; --n)
        message += words[qsizetype(next(quint32(words.size())))];
    message += QString::number(i % 1000);
    const QDate day = QDate(2024, 1, 1).addDays(i / 1000);
    return {day.toString(QStringLiteral("yy/MM/dd")),
            names[next(8)],
            names[next(8)],
            QStringLiteral("10:15:00"),
            QStringLiteral("10:16:01"),
            message};
}

// Figures of the search: the time until the first screenful shows (or the
// search ends with fewer), and until the count is whole.
void searches(HistoryBrowser &browser, const QStringList &queries, const char *what)
{
    std::vector<qint64> first;
    std::vector<qint64> whole;
    int found = 0;
    for (const QString &q : queries) {
        HistorySearch &search = browser.search();
        QElapsedTimer t;
        qint64 firstAt = -1;
        QEventLoop loop;
        // Each step of the search tells what it found; the last one ends it.
        const auto told = QObject::connect(&search, &HistorySearch::changed, [&] {
            if (firstAt < 0 && search.rowCount() >= 40)
                firstAt = t.nsecsElapsed();
            if (!search.running())
                loop.quit();
        });
        t.start();
        browser.find(q, {}, {});
        if (search.running())
            loop.exec();
        QObject::disconnect(told);
        whole.push_back(t.nsecsElapsed());
        first.push_back(firstAt < 0 ? whole.back() : firstAt);
        found += search.rowCount();
    }
    std::sort(first.begin(), first.end());
    std::sort(whole.begin(), whole.end());
    std::printf("search, %s (%lld queries, %d rows found in all): first screenful median %.1f ms, "
                "95th percentile %.1f ms; whole count median %.0f ms, 95th percentile %.0f ms\n",
                what, qlonglong(queries.size()), found, first[first.size() / 2] / 1e6,
                first[first.size() * 95 / 100] / 1e6, whole[whole.size() / 2] / 1e6,
                whole[whole.size() * 95 / 100] / 1e6);
    browser.find(QString(), {}, {});
}

// The history window as a user opens it.
struct Window
{
    ScriptedDialogs dialogs;
    HistoryBrowser browser;
    FrmLog log;
    Window(HistoryModel &history, const Clock &clock)
        : browser(history, clock, dialogs), log(history, browser)
    {
        wiring::historyToBrowser(history, browser);
        browser.shown();
        log.show();
        log.repaint();
    }
};

// Keeps an arriving message every 10 ms until loop ends; gives how long each took.
std::vector<qint64> arrivalsUntil(QEventLoop &loop, HistoryModel &model)
{
    std::vector<qint64> adds;
    QTimer arrivals;
    QObject::connect(&arrivals, &QTimer::timeout, [&] {
        QElapsedTimer one;
        one.start();
        model.logAddRecv(QStringLiteral("鈴木 "), QStringLiteral("索引を作っている間に届いた"));
        adds.push_back(one.nsecsElapsed());
    });
    arrivals.start(10);
    loop.exec();
    return adds;
}

qint64 sqlNumber(Store &store, const QString &sql)
{
    QSqlQuery q(store.db());
    return q.exec(sql) && q.next() ? q.value(0).toLongLong() : -1;
}

void percentiles(const char *what, std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    std::printf("%s: median %.1f µs, 99th percentile %.1f µs\n", what, ns[ns.size() / 2] / 1e3,
                ns[ns.size() * 99 / 100] / 1e3);
}

// Loads path; gives the time, and the longest the event loop stood still.
std::pair<qint64, qint64> load(HistoryModel &model, const QString &path, bool replace)
{
    HistoryLoader loader(model);
    QEventLoop loop;
    QObject::connect(&loader, &HistoryLoader::finished, &loop, &QEventLoop::quit);
    QElapsedTimer t, tick;
    qint64 longest = 0;
    QTimer beat;
    QObject::connect(&beat, &QTimer::timeout, [&] { longest = std::max(longest, tick.restart()); });
    t.start();
    tick.start();
    beat.start(5);
    loader.start(path, QFile(path).size(), replace);
    loop.exec();
    longest = std::max(longest, tick.elapsed());
    return {t.elapsed(), longest};
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SystemClock clock;
    QTemporaryDir dir;
    Store store;
    store.open(dir.filePath(QStringLiteral("portana.db")));
    HistoryModel model(store, clock, [] { return QStringLiteral("山田 "); });
    wiring::storeToHistory(store, model);
    constexpr int Rows = 1'000'000;

    QElapsedTimer t;
    t.start();
    std::vector<HistoryRow> chunk;
    for (int i = 0; i < Rows; ++i) {
        chunk.push_back(sample(i));
        if (chunk.size() == 100'000) {
            addRows(model, chunk);
            chunk.clear();
        }
    }
    std::printf("store %d rows (100,000 a transaction, as a file loads): %.0f ms\n", Rows,
                t.nsecsElapsed() / 1e6);
    {
        // Their terms are made off the window thread, as for the rows of an
        // older store, while messages arrive and are kept.
        QEventLoop loop;
        const auto indexed =
            QObject::connect(&store, &Store::indexing, [&](qint64 done, qint64 of) {
                if (done == of)
                    loop.quit();
            });
        const std::vector<qint64> adds =
            sqlNumber(store, QStringLiteral("SELECT count(*) FROM find_pending")) > 0
                ? arrivalsUntil(loop, model)
                : std::vector<qint64>{0};
        QObject::disconnect(indexed);
        std::printf(
            "index %d rows on its thread: %.1f s after the first was stored (%.0f rows/s)\n", Rows,
            t.nsecsElapsed() / 1e9, Rows / (t.nsecsElapsed() / 1e9));
        percentiles("  meanwhile, keep an arriving message (every 10 ms)", adds);
    }
    {
        const qint64 text = sqlNumber(
            store, QStringLiteral("SELECT sum(length(CAST(sender || recipient || message AS BLOB)))"
                                  " FROM history"));
        const qint64 index = sqlNumber(
            store,
            QStringLiteral("SELECT sum(pgsize) FROM dbstat WHERE name LIKE 'history_find%'"));
        std::printf("index: %.1f MB for %.1f MB of text (sender, recipient, message): %.2f x\n",
                    index / 1e6, text / 1e6, double(index) / double(text));
    }

    {
        // What a start-up reads of it: the order of the rows, nothing else.
        t.restart();
        Store again;
        again.open(dir.filePath(QStringLiteral("portana.db")));
        HistoryModel reopened(again, clock, [] { return QString(); });
        wiring::storeToHistory(again, reopened);
        std::printf("open the store of %d rows, as at start-up: %.1f ms\n", reopened.rowCount(),
                    t.nsecsElapsed() / 1e6);
    }

    std::vector<qint64> ns;
    for (int i = 0; i < 5000; ++i) {
        t.restart();
        if (i % 2)
            model.logAddSend(QStringLiteral("鈴木"), QStringLiteral("こんにちは、元気ですか"));
        else
            model.logAddRecv(QStringLiteral("鈴木 "), QStringLiteral("はい、元気です"));
        ns.push_back(t.nsecsElapsed());
    }
    percentiles("add a row at 1,000,000 (a commit each)", ns);
    ns.clear();
    for (int i = 1; i <= 5000; ++i) {
        t.restart();
        model.logSetResult(Rows + (i * 7919) % 5000 + 1, i % 3 == 0);
        ns.push_back(t.nsecsElapsed());
    }
    percentiles("complete a row named by a peer (logSetResult)", ns);

    t.restart();
    model.logSetDiscard();
    std::printf("logSetDiscard over %d rows: %.1f ms\n", model.rowCount(), t.nsecsElapsed() / 1e6);

    {
        // What the window costs itself: its widgets' code and fonts are
        // warmed by a window over an empty history first.
        {
            HistoryModel empty(clock, [] { return QString(); });
            Window warm(empty, clock);
        }
        const qint64 before = rssKb();
        t.restart();
        Window window(model, clock);
        HistoryBrowser &browser = window.browser;
        std::printf("history window: open on %d rows: %.1f ms, %.1f MB more resident\n",
                    model.rowCount(), t.nsecsElapsed() / 1e6, (rssKb() - before) / 1024.0);
        searches(browser,
                 QString::fromUtf8("会議 資料 確認 打ち合わせ 会議室 出張 報告 東京 大阪 弁当 "
                                   "再起動 ﾒｰﾙ deploy meeting ｶﾀｶﾅ カタカナ 来週 予定 ok 見て")
                     .split(u' '),
                 "two characters or more");
        searches(
            browser,
            QString::fromUtf8("の 会 室 x 7 ｶ 東 ア 資 弁 出 来 見 b d t m P 時 大").split(u' '),
            "one character");
        t.restart();
        control<HistoryView>(window.log, "LvLog")->scrollToBottom();
        window.log.repaint();
        std::printf("history window: scroll to the last row: %.1f ms\n", t.nsecsElapsed() / 1e6);
    }

    {
        // The same rows as the upgrade of a store of the version before
        // finds them: without terms. Another connection opens it, as the
        // next start does, and its worker goes through them while this one
        // keeps a message every 10 ms.
        store.begin();
        QSqlQuery(store.db())
            .exec(QStringLiteral("INSERT INTO history_find(history_find) VALUES('delete-all')"));
        QSqlQuery(store.db())
            .exec(QStringLiteral("INSERT INTO find_pending(first, last, ready) VALUES(1, %1, 1)")
                      .arg(store.peekKey() - 1));
        store.end();
        QElapsedTimer all;
        all.start();
        Store older;
        QEventLoop loop;
        qint64 total = 0;
        QObject::connect(&older, &Store::indexing, [&](qint64 done, qint64 of) {
            total = std::max(total, of);
            if (done == of)
                loop.quit();
        });
        older.open(dir.filePath(QStringLiteral("portana.db")));
        const std::vector<qint64> adds = arrivalsUntil(loop, model);
        std::printf("index an older store of %lld rows on its thread: %.1f s (%.0f rows/s)\n",
                    total, all.nsecsElapsed() / 1e9, total / (all.nsecsElapsed() / 1e9));
        percentiles("  meanwhile, keep an arriving message (every 10 ms)", adds);
    }

    {
        // Keeping the last 1,000 rows of the million: the oldest leave the
        // list a couple of thousand a turn, and the sweep deletes them
        // (with their terms) in small steps, while the event loop turns.
        HistoryKeeper keeper(model, clock, [](qint64) { return false; });
        keeper.setRule({KeepRule::Keep::Rows, 1000});
        QElapsedTimer all, tick;
        qint64 longest = 0;
        QTimer beat;
        QEventLoop loop;
        QObject::connect(&beat, &QTimer::timeout, [&] {
            longest = std::max(longest, tick.restart());
            if (!keeper.busy() &&
                sqlNumber(store, QStringLiteral("SELECT value FROM meta WHERE name = 'sweep'")) ==
                    0)
                loop.quit();
        });
        all.start();
        tick.start();
        beat.start(5);
        keeper.apply();
        loop.exec();
        std::printf("keep the last 1,000 of %d rows: %.1f s until the rows are deleted; the event "
                    "loop stood still at most %lld ms; %d rows listed\n",
                    Rows, all.nsecsElapsed() / 1e9, longest, model.rowCount());
    }

    {
        // The history file at 100,000 rows.
        Store smallStore;
        smallStore.open(dir.filePath(QStringLiteral("small.db")));
        HistoryModel small(smallStore, clock, [] { return QStringLiteral("山田 "); });
        wiring::storeToHistory(smallStore, small);
        std::vector<HistoryRow> rows;
        for (int i = 0; i < 100'000; ++i)
            rows.push_back(sample(i));
        addRows(small, rows);
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        t.restart();
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(historyfile::write(small, QDateTime::currentDateTime(), QString()));
        out.close();
        std::printf("history file: save 100000 rows: %.1f ms\n", t.nsecsElapsed() / 1e6);
        const auto [ms, longest] = load(small, path, true);
        std::printf("history file: load 100000 rows: %lld ms (the event loop stood still at most "
                    "%lld ms)\n",
                    ms, longest);
    }

    {
        // 200 MB of history file.
        const QString path = dir.filePath(QStringLiteral("big.txt"));
        {
            Store bigStore;
            bigStore.open(dir.filePath(QStringLiteral("big-source.db")));
            HistoryModel big(bigStore, clock, [] { return QString(); });
            wiring::storeToHistory(bigStore, big);
            std::vector<HistoryRow> rows;
            for (int i = 0; i < 1'950'000; ++i)
                rows.push_back(sample(i));
            addRows(big, rows);
            rows.clear();
            QFile out(path);
            out.open(QIODevice::WriteOnly);
            out.write(historyfile::write(big, QDateTime::currentDateTime(), QString()));
        }
        Store target;
        target.open(dir.filePath(QStringLiteral("target.db")));
        HistoryModel loaded(target, clock, [] { return QString(); });
        wiring::storeToHistory(target, loaded);
        const qint64 size = QFile(path).size();
        // As a user loads it: from the history window, which shows the rows as they come in.
        Window window(loaded, clock);
        const qint64 before = rssKb();
        resetPeak();
        const auto [ms, longest] = load(loaded, path, true);
        std::printf("history file: load %.0f MB (%d rows) with the history window open: %lld ms; "
                    "the event loop stood still at "
                    "most %lld ms; memory at most %.0f MB over before (%.2f x the file)\n",
                    size / 1e6, loaded.rowCount(), ms, longest, (peakRssKb() - before) / 1024.0,
                    (peakRssKb() - before) * 1024.0 / double(size));
    }
    return 0;
}
