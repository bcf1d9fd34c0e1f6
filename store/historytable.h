#pragma once

#include "records.h"

#include <QSqlQuery>
#include <functional>
#include <optional>
#include <vector>

class Store;

// The history rows in the store, and the order the list shows them in: runs
// of consecutive keys. Only what is asked for is read.
class HistoryTable
{
public:
    struct Run
    {
        qint64 seq = 0;
        qint64 first = 0;
        qint64 count = 0;
    };

    explicit HistoryTable(Store &store);

    std::vector<Run> runs();
    // Writes a run as it now stands; count 0 removes it.
    void saveRun(const Run &run);
    // Every run goes (the rows are swept away after); no key used so far
    // is handed out again.
    void clear();

    // sentNo: the row number this row was sent with (0: none).
    void insert(const HistoryRow &row, int sentNo);
    void remove(qint64 key);
    // At most limit rows of keys first to last; gives how many went.
    int removeRange(qint64 first, qint64 last, int limit);
    // Keys first to last, ascending; the body cut to messageChars.
    std::vector<HistoryRow> page(qint64 first, qint64 last, int messageChars);
    std::optional<HistoryRow> row(qint64 key);
    // Every row of keys first to last, whole, in key order, without holding them all.
    void each(qint64 first, qint64 last, const std::function<void(const HistoryRow &)> &f);
    // The newest row sent with that number; 0: none.
    qint64 sentWith(int sentNo);
    void setRecipient(qint64 key, const QString &recipient, const QString &receiveTime);
    void setReceiveTime(qint64 key, const QString &receiveTime);
    // Every received row nobody answered takes that name and time; gives their keys.
    std::vector<qint64> markWaiting(const QString &recipient, const QString &receiveTime);

    // The connection goes: the statements prepared on it go first.
    void forget();

private:
    bool run(QSqlQuery &q, const char *what);
    QSqlQuery prepared(const QString &sql);

    Store &m_store;
    // Prepared at their first use (the store may open after this table is made).
    std::optional<QSqlQuery> m_insert;
    std::optional<QSqlQuery> m_saveRun;
};
