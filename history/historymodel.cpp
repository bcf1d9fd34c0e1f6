#include "historymodel.h"

#include <algorithm>

#include "clock.h"
#include "fieldtext.h"

namespace {
const QString DiscardMark = QStringLiteral("*");
}

HistoryModel::HistoryModel(const Clock &clock, std::function<QString()> localShortName,
                           QObject *parent)
    : QAbstractTableModel(parent), m_clock(clock), m_localShortName(std::move(localShortName))
{
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (role == Qt::TextAlignmentRole)
        return index.column() == SendTimeCol ? int(Qt::AlignCenter)
                                             : int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    const HistoryRow &r = m_rows[size_t(index.row())];
    switch (index.column()) {
    case DateCol:
        return r.date;
    case SenderCol:
        return r.sender;
    case RecipientCol:
        return r.recipient;
    case SendTimeCol:
        return r.sendTime;
    case ReceiveTimeCol:
        return r.receiveTime;
    case MessageCol:
        return r.message;
    }
    return {};
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    static const QString captions[ColumnCount] = {
        QStringLiteral(" 送信日"),  QStringLiteral("送信者"),   QStringLiteral("受信者"),
        QStringLiteral("送信時間"), QStringLiteral("受信時間"), QStringLiteral("ﾒｯｾｰｼﾞ")};
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == Qt::DisplayRole)
        return captions[section];
    if (role == Qt::TextAlignmentRole)
        return section == SendTimeCol ? int(Qt::AlignCenter)
                                      : int(Qt::AlignLeft | Qt::AlignVCenter);
    return {};
}

int HistoryModel::appendRow(HistoryRow row)
{
    row.key = m_nextKey++;
    const int at = int(m_rows.size());
    beginInsertRows({}, at, at);
    m_rows.push_back(std::move(row));
    endInsertRows();
    return at + 1;
}

qint64 HistoryModel::keyOf(int rowNo) const
{
    return rowNo >= 1 && rowNo <= rowCount() ? m_rows[size_t(rowNo - 1)].key : 0;
}

int HistoryModel::rowOf(qint64 key) const
{
    const auto at = std::lower_bound(m_rows.begin(), m_rows.end(), key,
                                     [](const HistoryRow &r, qint64 k) { return r.key < k; });
    return at != m_rows.end() && at->key == key ? int(at - m_rows.begin()) + 1 : 0;
}

void HistoryModel::rowChanged(int rowNo)
{
    emit dataChanged(index(rowNo - 1, RecipientCol), index(rowNo - 1, ReceiveTimeCol));
}

int HistoryModel::logAddSend(const QString &recipient, const QString &message)
{
    const QDateTime now = m_clock.now();
    const QString time = fieldtext::timeText(now);
    const int rowNo = appendRow(
        {fieldtext::dateText(now), m_localShortName(), recipient, time, QString(), message});
    m_sent.insert(rowNo, m_rows.back().key);
    return rowNo;
}

int HistoryModel::logAddRecv(const QString &senderShortName, const QString &message)
{
    const QDateTime now = m_clock.now();
    return appendRow({fieldtext::dateText(now), senderShortName, QString(),
                      fieldtext::timeText(now), QString(), message, true});
}

void HistoryModel::logSetOpen(qint64 key)
{
    const int rowNo = rowOf(key);
    if (rowNo == 0)
        return;
    HistoryRow &r = m_rows[size_t(rowNo - 1)];
    r.recipient = m_localShortName();
    r.receiveTime = fieldtext::timeText(m_clock.now());
    rowChanged(rowNo);
}

void HistoryModel::logSetDiscard()
{
    // One time text and one name, shared by every row they complete.
    const QString recipient = m_localShortName();
    const QString time = fieldtext::timeText(m_clock.now()) + DiscardMark;
    // One signal per run of changed rows, so the views hear of no others.
    int first = -1;
    const auto report = [this, &first](int end) {
        if (first >= 0)
            emit dataChanged(index(first, RecipientCol), index(end - 1, ReceiveTimeCol));
        first = -1;
    };
    for (size_t i = 0; i < m_rows.size(); ++i) {
        HistoryRow &r = m_rows[i];
        // A sent row waits for its peer's answer, which this user's
        // discarding does not give.
        if (!r.received || !r.receiveTime.isEmpty()) {
            report(int(i));
            continue;
        }
        r.recipient = recipient;
        r.receiveTime = time;
        if (first < 0)
            first = int(i);
    }
    report(int(m_rows.size()));
}

void HistoryModel::logSetResult(int sentRowNo, bool discarded)
{
    const int rowNo = rowOf(m_sent.value(sentRowNo));
    if (rowNo == 0)
        return;
    QString time = fieldtext::timeText(m_clock.now());
    if (discarded)
        time += DiscardMark;
    m_rows[size_t(rowNo - 1)].receiveTime = time;
    rowChanged(rowNo);
}

void HistoryModel::dropLast(int rowNo)
{
    if (rowNo != rowCount() || rowNo < 1)
        return;
    beginRemoveRows({}, rowNo - 1, rowNo - 1);
    if (m_sent.value(rowNo) == m_rows.back().key)
        m_sent.remove(rowNo);
    m_rows.pop_back();
    endRemoveRows();
}

void HistoryModel::clear()
{
    beginResetModel();
    m_rows.clear();
    m_sent.clear();
    endResetModel();
}

void HistoryModel::append(const std::vector<HistoryRow> &rows)
{
    if (rows.empty())
        return;
    const int at = rowCount();
    beginInsertRows({}, at, at + int(rows.size()) - 1);
    m_rows.insert(m_rows.end(), rows.begin(), rows.end());
    for (auto row = m_rows.begin() + at; row != m_rows.end(); ++row)
        row->key = m_nextKey++;
    endInsertRows();
}
