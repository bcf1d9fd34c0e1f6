#pragma once

#include "historylog.h"
#include "records.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

class Clock;
class Store;

// The history list: rows in the order they were added, never sorted, so a
// row's number (1-based) is its position. A sent message travels with its
// row's number too, unless a number given out before is higher (rows were
// removed since): then with the next one, so that no number names two
// listed rows and a late answer completes its own row or none. Completions
// find their row by its key, so after 履歴ｸﾘｱ or 読込 they change the row
// they were made for, or nothing when it is gone.
// The store keeps the rows and their order (HistoryLog); the list reads the
// pages it shows, a few at a time, and tells the views of a batch's changes
// once the batch is committed (one that is not leaves the list as it was).
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

    // What the store tells (the composition root connects them): a batch
    // kept or undone, the file opened anew, about to close.
    void batchCommitted();
    void batchRolledBack();
    void storeOpened();
    void storeClosing();

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Row number n (1-based), whole; n must name a row.
    HistoryRow row(int n) const;
    // By key, whole; empty when it is gone.
    HistoryRow rowByKey(qint64 key) const;
    // What the list shows of a row in a column (a search shows found rows alike).
    QVariant cell(qint64 key, int column, int role) const;
    const HistoryLog::Order &order() const { return m_shown; }
    // One step of a search (see HistoryTable::find).
    HistoryTable::Found find(const HistoryTable::Query &query, qint64 after, qint64 last) const
    {
        return m_log.find(query, after, last);
    }
    // Every row, whole, in list order, read a piece at a time.
    void forEach(const std::function<void(const HistoryRow &)> &f) const;

    // A sent row gives the number its message goes out with, a received
    // one its row number (either as it would have been when its batch is
    // not kept).
    int logAddSend(const QString &recipient, const QString &message);
    int logAddRecv(const QString &senderShortName, const QString &message);
    qint64 keyOf(int rowNo) const { return m_log.order().key(rowNo); }
    // This user opened the received message of that row.
    void logSetOpen(qint64 key);
    void logSetDiscard();
    // A peer's answer to the message this copy sent with that number.
    void logSetResult(int number, bool discarded);
    // Takes back the row just added for a message (of that number) that could not leave.
    void dropLast(int number);

    void clear();
    // Keeping: see HistoryLog::unlist and dates.
    int unlist(int skip, int n, const std::function<bool(qint64)> &spare)
    {
        return m_log.unlist(skip, n, spare);
    }
    QStringList dates(int from, int n) const { return m_log.dates(from, n); }

    // A file's rows go into the store in steps, out of sight, and come into
    // the list at once when the file has been read whole (see HistoryLog).
    bool beginLoad(qint64 maxRows, bool replace) { return m_log.beginLoad(maxRows, replace); }
    bool loading() const { return m_log.loading(); }
    bool stage(const std::vector<HistoryRow> &rows) { return m_log.stage(rows); }
    bool finishLoad() { return m_log.finishLoad(); }
    void abandonLoad() { m_log.abandonLoad(); }

signals:
    // The rows that left the list are gone from the store too.
    void swept();

private:
    // Reads the order back from the store (at start, and when it was opened anew).
    void reload();
    // The batch is kept: the views hear of what it changed.
    void publish();
    const HistoryRow *cached(qint64 key) const;

    std::unique_ptr<Store> m_ownStore;
    Store &m_store;
    const Clock &m_clock;
    std::function<QString()> m_localShortName;
    HistoryLog m_log;
    HistoryLog::Order m_shown; // what the views know
    // Pages of listed rows by key / PageRows; a few at a time.
    static constexpr qint64 PageRows = 64;
    mutable QHash<qint64, std::vector<HistoryRow>> m_pages;
};
