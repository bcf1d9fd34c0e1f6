#pragma once

#include "historytable.h"
#include "records.h"

#include <QObject>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class Store;

// The history as the store keeps it: its rows, the order the list shows
// them in (runs of consecutive keys), the keys handed out, a file's rows
// staged out of sight while it loads, and the sweep of rows no longer
// listed. Every change is made in a batch of the store (its own, or the one
// open); a batch that is not kept leaves the order as the last commit left it.
class HistoryLog : public QObject
{
    Q_OBJECT
public:
    struct Order
    {
        std::vector<HistoryTable::Run> runs;
        int count = 0;
        // The key of row number rowNo (1-based); 0: none.
        qint64 key(int rowNo) const;
        // The row number of key; 0 when that row is not listed.
        int rowOf(qint64 key) const;
        // How many rows from the top two orders list alike.
        static qint64 alike(const Order &a, const Order &b);
    };

    explicit HistoryLog(Store &store, QObject *parent = nullptr);
    ~HistoryLog() override;

    // As it stands, in the open batch too.
    const Order &order() const { return m_order; }
    // Reads everything back from the store (at start, and when it was opened anew).
    void reload();
    // The store's batch was kept, or undone; the store is about to close.
    void batchCommitted();
    void batchRolledBack();
    void storeClosing();

    std::vector<HistoryRow> page(qint64 first, qint64 last, int messageChars) const;
    std::optional<HistoryRow> row(qint64 key) const;
    HistoryTable::Found find(const HistoryTable::Query &query, qint64 after, qint64 last) const
    {
        return m_table.find(query, after, last);
    }
    // Every listed row, whole, in list order, read a piece at a time.
    void forEach(const std::function<void(const HistoryRow &)> &f) const;

    // Lists a new row last; gives its row number, or when sent the number
    // its message goes out with (a peer's answer names it).
    int add(HistoryRow row, bool sent);
    void setOpened(qint64 key, const QString &recipient, const QString &receiveTime);
    // A peer's answer to the listed row sent with that number.
    void setResult(int sentNo, const QString &receiveTime);
    // Every received row nobody answered takes that name and time.
    void markWaiting(const QString &recipient, const QString &receiveTime);
    // Takes back the last row.
    void dropLast();
    // The same when number names it: the number a sent row went out with,
    // or another row's row number.
    void dropLast(int number);
    // Nothing is listed any more; no key used so far is handed out again.
    void clear();
    // Rows skip+1 to skip+n leave the list, but for the keys in spare,
    // which stay where they are; gives how many stayed. The rows are swept.
    int unlist(int skip, int n, const std::function<bool(qint64)> &spare);
    // The dates of rows from to from+n-1 (1-based), in list order.
    QStringList dates(int from, int n) const;

    // beginLoad sets keys aside for at most maxRows rows; false while
    // another load runs, or when the store refused.
    bool beginLoad(qint64 maxRows, bool replace);
    bool loading() const { return m_load.end > 0; }
    // One step of rows, out of sight; false when it was not kept.
    bool stage(const std::vector<HistoryRow> &rows);
    // The staged rows are listed after the rest (読込: instead of what was
    // listed when the load began); false when that was not kept.
    bool finishLoad();
    void abandonLoad();

    // Keys of the rows changed since the last call.
    std::vector<qint64> takeChanged() { return std::exchange(m_changed, {}); }

private:
    void extendRuns(qint64 first, qint64 count);
    // Rows no run holds (after 履歴ｸﾘｱ, 読込, a failed load) are deleted by
    // the store's worker, a step at a time.
    void startSweep();
    void sweep();

    Store &m_store;
    mutable HistoryTable m_table;
    Order m_order;
    Order m_kept; // as the last commit left it
    std::vector<qint64> m_changed;
    qint64 m_lastSentKey = 0; // the row sent last, and its number
    int m_lastSentNo = 0;
    struct Load
    {
        qint64 first = 0;
        qint64 next = 0;
        qint64 end = 0; // past the last key set aside; 0: no load
        bool replace = false;
        int kept = 0; // 読込: the rows before this many go when it ends
    };
    Load m_load;
    Load m_loadKept;
};
