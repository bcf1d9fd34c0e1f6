#pragma once

#include "historybrowser.h"
#include "historymodel.h"

#include <QSignalSpy>
#include <QStringList>

// What the history window's search lists for typed, as its message column
// shows it, once the search has gone through every row.
inline QStringList foundMessages(HistoryBrowser &browser, const QString &typed)
{
    QSignalSpy spy(&browser, &HistoryBrowser::changed);
    browser.find(typed, {}, {});
    while (browser.search().running() && spy.wait(1000)) {
    }
    QStringList out;
    for (int r = 0; r < browser.search().rowCount(); ++r)
        out << browser.search().index(r, HistoryModel::MessageCol).data().toString();
    return out;
}
