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
#include "historyloader.h"
#include "historymodel.h"
#include "historyview.h"
#include "rss.h"
#include "store.h"
#include "systemclock.h"
#include "wiring.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

HistoryRow sample(int i)
{
    return {QStringLiteral("26/12/08"),
            QStringLiteral("鈴木 "),
            QStringLiteral("山田 "),
            QStringLiteral("10:15:00"),
            QStringLiteral("10:16:01"),
            QStringLiteral("はい、元気です。\r\n明日の会議は十時からです。%1").arg(i)};
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
    std::printf("store %d rows (100,000 a transaction): %.0f ms\n", Rows, t.nsecsElapsed() / 1e6);

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
        t.restart();
        ScriptedDialogs dialogs;
        HistoryBrowser browser(model, clock, dialogs);
        wiring::historyToBrowser(model, browser);
        FrmLog log(model, browser);
        browser.shown();
        log.show();
        log.repaint();
        std::printf("history window: open on %d rows: %.1f ms\n", model.rowCount(),
                    t.nsecsElapsed() / 1e6);
        t.restart();
        control<HistoryView>(log, "LvLog")->scrollToBottom();
        log.repaint();
        std::printf("history window: scroll to the last row: %.1f ms\n", t.nsecsElapsed() / 1e6);
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
        const qint64 before = rssKb();
        resetPeak();
        const auto [ms, longest] = load(loaded, path, true);
        std::printf("history file: load %.0f MB (%d rows): %lld ms; the event loop stood still at "
                    "most %lld ms; memory at most %.0f MB over before (%.2f x the file)\n",
                    size / 1e6, loaded.rowCount(), ms, longest, (peakRssKb() - before) / 1024.0,
                    (peakRssKb() - before) * 1024.0 / double(size));
    }
    return 0;
}
