#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QString>
#include <functional>
#include <vector>

class Clock;

struct HistoryRow
{
    QString date;
    QString sender;
    QString recipient;
    QString sendTime;
    QString receiveTime;
    QString message;
    bool received = false; // a message from a peer, not one this user sent
    qint64 key = 0;        // this row and no other, for as long as it lives (set by the model)
};

// The history list: rows in the order they were added, never sorted, so a
// row's number (1-based) is its position; that number travels with a sent
// message. Completions find their row by its key instead, so after 履歴ｸﾘｱ or
// 読込 they change the row they were made for, or nothing when it is gone.
// The history window shows it.
class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { DateCol, SenderCol, RecipientCol, SendTimeCol, ReceiveTimeCol, MessageCol };
    static constexpr int ColumnCount = 6;
    // Column widths in twips, as the list lays them out.
    static constexpr int ColumnWidths[ColumnCount] = {1095, 1411, 1411, 1095, 1094, 8820};

    // localShortName gives this copy's short name as the settings say now.
    HistoryModel(const Clock &clock, std::function<QString()> localShortName,
                 QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Row number n (1-based); n must name a row.
    const HistoryRow &row(int n) const { return m_rows[size_t(n - 1)]; }

    // Both give the new row's number.
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

private:
    int appendRow(HistoryRow row);
    void rowChanged(int rowNo);
    // The row number of key; 0 when that row is gone.
    int rowOf(qint64 key) const;

    const Clock &m_clock;
    std::function<QString()> m_localShortName;
    std::vector<HistoryRow> m_rows; // keys ascending
    qint64 m_nextKey = 1;
    QHash<int, qint64> m_sent; // row number on the wire → the row sent with it
};
