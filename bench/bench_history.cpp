// The history list at a million rows: appending, completing, discarding,
// and a view over it.
#include "dialogs.h"
#include "frmlog.h"
#include "historybrowser.h"
#include "historyfile.h"
#include "historymodel.h"
#include "systemclock.h"

#include <QFile>
#include <QTemporaryDir>

#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QTreeView>
#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    SystemClock clock;
    HistoryModel model(clock, [] { return QStringLiteral("山田 "); });
    constexpr int Rows = 1'000'000;

    QElapsedTimer t;
    t.start();
    for (int i = 0; i < Rows; ++i) {
        if (i % 2)
            model.logAddSend(QStringLiteral("鈴木"), QStringLiteral("こんにちは、元気ですか"));
        else
            model.logAddRecv(QStringLiteral("鈴木 "), QStringLiteral("はい、元気です"));
    }
    const qint64 appendNs = t.nsecsElapsed();
    std::printf("append %d rows: %.1f ms (%.0f ns a row)\n", Rows, appendNs / 1e6,
                double(appendNs) / Rows);

    t.restart();
    for (int i = 1; i <= 100'000; ++i)
        model.logSetResult((i * 7919) % Rows + 1, i % 3 == 0);
    std::printf("logSetResult x100000 at scattered rows: %.1f ms (%.0f ns each)\n",
                t.nsecsElapsed() / 1e6, t.nsecsElapsed() / 1e5);

    t.restart();
    model.logSetDiscard();
    std::printf("logSetDiscard over %d rows: %.1f ms\n", Rows, t.nsecsElapsed() / 1e6);

    t.restart();
    model.logSetDiscard(); // nothing left to complete: the walk alone
    std::printf("logSetDiscard again (no open rows): %.1f ms\n", t.nsecsElapsed() / 1e6);

    {
        // The history file at 100,000 rows.
        HistoryModel small(clock, [] { return QStringLiteral("山田 "); });
        for (int i = 0; i < 100'000; ++i)
            small.logAddRecv(QStringLiteral("鈴木 "),
                             QStringLiteral("はい、元気です。\r\n明日の会議は十時からです。"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("log.txt"));
        t.restart();
        QFile out(path);
        out.open(QIODevice::WriteOnly);
        out.write(historyfile::write(small, QDateTime::currentDateTime(), QString()));
        out.close();
        std::printf("history file: save 100000 rows: %.1f ms\n", t.nsecsElapsed() / 1e6);
        t.restart();
        QFile in(path);
        in.open(QIODevice::ReadOnly);
        const auto read = historyfile::read(in.readAll());
        small.clear();
        small.append(read.rows);
        std::printf("history file: load 100000 rows: %.1f ms\n", t.nsecsElapsed() / 1e6);
    }

    {
        t.restart();
        struct : Dialogs
        {
            Answer messageBox(const Box &box) override { return box.defaultAnswer; }
            QString openFileName(const QString &) override { return {}; }
            QString saveFileName(const QString &) override { return {}; }
            std::optional<quint32> chooseColor(quint32) override { return {}; }
            std::optional<Font> chooseFont(const Font &) override { return {}; }
        } dialogs;
        HistoryBrowser browser(model, clock, dialogs);
        FrmLog log(model, browser);
        browser.shown();
        log.show();
        log.repaint();
        std::printf("history window: open on %d rows: %.1f ms\n", model.rowCount(),
                    t.nsecsElapsed() / 1e6);
        t.restart();
        log.LvLog->scrollToBottom();
        log.repaint();
        std::printf("history window: scroll to the last row: %.1f ms\n", t.nsecsElapsed() / 1e6);
    }

    QTreeView view;
    view.setUniformRowHeights(true);
    view.setRootIsDecorated(false);
    view.resize(800, 400);
    t.restart();
    view.setModel(&model);
    view.show();
    view.scrollToBottom();
    view.repaint();
    std::printf("view: show and scroll to the last of %d rows: %.1f ms\n", Rows,
                t.nsecsElapsed() / 1e6);
    t.restart();
    model.logAddSend(QStringLiteral("x"), QStringLiteral("one more"));
    view.repaint();
    std::printf("view: one more row and repaint: %.2f ms\n", t.nsecsElapsed() / 1e6);
    return 0;
}
