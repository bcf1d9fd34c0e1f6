#pragma once

#include "historytable.h"
#include "records.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

class Clock;
class Store;

// The history list: rows in the order they were added, never sorted, so a
// row's number (1-based) is its position; that number travels with a sent
// message. Completions find their row by its key instead, so after 履歴ｸﾘｱ or
// 読込 they change the row they were made for, or nothing when it is gone.
// The rows live in the store; the list reads the pages it shows and keeps
// only the order (runs of keys) in memory. The history window shows it.
// Every change is made in a batch of the store and shown (rows inserted,
// changed) only once that batch is committed; one that is not leaves the
// list as it was.
class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { DateCol, SenderCol, RecipientCol, SendTimeCol, ReceiveTimeCol, MessageCol };
    static constexpr int ColumnCount = 6;
    // Column widths in twips, as the list lays them out.
    static constexpr int ColumnWidths[ColumnCount] = {1095, 1411, 1411, 1095, 1094, 8820};
    // The list shows this much of a body; the detail view reads it whole.
    static constexpr int ListedChars = 1024;

    // localShortName gives this copy's short name as the settings say now.
    HistoryModel(Store &store, const Clock &clock, std::function<QString()> localShortName,
                 QObject *parent = nullptr);
    // Kept in memory only.
    HistoryModel(const Clock &clock, std::function<QString()> localShortName,
                 QObject *parent = nullptr);
    ~HistoryModel() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Row number n (1-based), whole; n must name a row.
    HistoryRow row(int n) const;
    // Every row, whole, in list order, read a piece at a time.
    void forEach(const std::function<void(const HistoryRow &)> &f) const;

    // Both give the new row's number (the one it would have had when its
    // batch is not kept).
    int logAddSend(const QString &recipient, const QString &message);
    int logAddRecv(const QString &senderShortName, const QString &message);
    qint64 keyOf(int rowNo) const;
    // This user opened the received message of that row.
    void logSetOpen(qint64 key);
    void logSetDiscard();
    // A peer's answer to the message this copy sent with that row number.
    void logSetResult(int rowNo, bool discarded);
    // Takes back the row just added for a message that could not leave.
    void dropLast(int rowNo);

    void clear();
    void append(const std::vector<HistoryRow> &rows);
    // Reads the order back from the store (at start, and when it was opened anew).
    void reload();

    // A file's rows go into the store in steps, out of sight, and come into
    // the list at once when the file has been read whole. beginLoad sets
    // keys aside for at most maxRows rows; false while another load runs.
    bool beginLoad(qint64 maxRows, bool replace);
    bool loading() const { return m_load.end > 0; }
    // One step: these rows, in one transaction; false when it was not kept.
    bool stage(const std::vector<HistoryRow> &rows);
    // The staged rows come after what the list holds; 読込 instead of
    // what it held when the load began. False when that was not kept: the
    // list is as it was.
    bool finishLoad();
    // The staged rows go again (a file found cut): the list is as it was.
    void abandonLoad();

private:
    // The order of the listed rows.
    struct Order
    {
        std::vector<HistoryTable::Run> runs;
        int count = 0;
    };
    void storeOpened();
    // The batch is kept: the views hear of what it changed.
    void publish();
    // It is not: the list is as the views last heard.
    void restore();
    static qint64 keyIn(const Order &order, int rowNo);
    static int rowIn(const Order &order, qint64 key);
    // sent: the row's number goes out with its message, and a peer's answer names it.
    int appendRow(HistoryRow row, bool sent);
    void extendRuns(qint64 first, qint64 count);
    // The row of key changed in the open batch.
    void rowChanged(qint64 key);
    // The row number of key; 0 when that row is gone.
    int rowOf(qint64 key) const;
    const HistoryRow *cached(qint64 key) const;

    std::unique_ptr<Store> m_ownStore;
    Store &m_store;
    const Clock &m_clock;
    std::function<QString()> m_localShortName;
    mutable HistoryTable m_table;
    // m_order changes within a batch; m_shown is what the views know, and
    // becomes m_order when the batch is committed.
    Order m_order;
    Order m_shown;
    std::vector<qint64> m_changed; // keys of rows changed in the open batch
    // Pages of listed rows by key / PageRows; a few at a time.
    static constexpr qint64 PageRows = 64;
    mutable QHash<qint64, std::vector<HistoryRow>> m_pages;

    // Rows no run holds (after 履歴ｸﾘｱ, 読込, a failed load) are deleted a
    // few thousand at a time, so no step keeps datagrams waiting.
    void startSweep();
    void sweepStep();
    QTimer m_sweepTimer;
    struct Load
    {
        qint64 first = 0;
        qint64 next = 0;
        qint64 end = 0; // past the last key set aside; 0: no load
        bool replace = false;
        int kept = 0; // 読込: the rows before this many go when it ends
    } m_load;
    Load m_loadBefore; // as the open batch found it
};
