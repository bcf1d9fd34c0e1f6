#pragma once

#include "historymodel.h"

#include <vector>

// Puts rows at the end of the history the way 追加読込 does: staged out of
// sight, then shown at once. False when the store refused them.
inline bool addRows(HistoryModel &history, const std::vector<HistoryRow> &rows)
{
    if (!history.beginLoad(qint64(rows.size()), false))
        return false;
    if (!history.stage(rows)) {
        history.abandonLoad();
        return false;
    }
    return history.finishLoad();
}
