#include "historymodel.h"

#include <algorithm>
#include <utility>

#include "clock.h"
#include "fieldtext.h"
#include "store.h"

namespace {

const QString DiscardMark = QStringLiteral("*");

std::unique_ptr<Store> memoryStore()
{
    auto store = std::make_unique<Store>();
    store->open({});
    return store;
}

} // namespace

HistoryModel::HistoryModel(Store &store, const Clock &clock,
                           std::function<QString()> localShortName, QObject *parent)
    : QAbstractTableModel(parent), m_store(store), m_clock(clock),
      m_localShortName(std::move(localShortName)), m_log(store)
{
    if (m_store.db().isOpen())
        reload();
}

HistoryModel::HistoryModel(const Clock &clock, std::function<QString()> localShortName,
                           QObject *parent)
    : HistoryModel(*memoryStore().release(), clock, std::move(localShortName), parent)
{
    m_ownStore.reset(&m_store);
    // Its own store: it follows it itself.
    connect(&m_store, &Store::committed, this, &HistoryModel::batchCommitted);
    connect(&m_store, &Store::rolledBack, this, &HistoryModel::batchRolledBack);
    connect(&m_store, &Store::swept, this, &HistoryModel::swept);
}

void HistoryModel::batchCommitted()
{
    m_log.batchCommitted();
    publish();
}

void HistoryModel::batchRolledBack()
{
    m_log.batchRolledBack();
    // A page read in a batch that was undone may hold what was undone.
    m_pages.clear();
}

void HistoryModel::storeOpened()
{
    reload();
}

void HistoryModel::storeClosing()
{
    m_log.storeClosing();
}

HistoryModel::~HistoryModel() = default;

void HistoryModel::reload()
{
    beginResetModel();
    m_log.reload();
    m_shown = m_log.order();
    m_pages.clear();
    endResetModel();
}

void HistoryModel::publish()
{
    const HistoryLog::Order &now = m_log.order();
    const qint64 same = HistoryLog::Order::alike(m_shown, now);
    const int before = m_shown.count;
    const int after = now.count;
    if (same == before && after > before) {
        // Pages read before may end where the new rows begin.
        for (int rowNo = before + 1; rowNo <= std::min(after, before + int(PageRows)); ++rowNo)
            m_pages.remove(now.key(rowNo) / PageRows);
        if (after - before > PageRows)
            m_pages.clear();
        beginInsertRows({}, before, after - 1);
        m_shown = now;
        endInsertRows();
    } else if (same == after && before > after) {
        beginRemoveRows({}, after, before - 1);
        m_shown = now;
        endRemoveRows();
    } else if (same != before || same != after) {
        beginResetModel();
        m_shown = now;
        m_pages.clear();
        endResetModel();
    }
    std::vector<int> rows;
    for (const qint64 key : m_log.takeChanged()) {
        m_pages.remove(key / PageRows);
        if (const int rowNo = m_shown.rowOf(key))
            rows.push_back(rowNo);
    }
    std::sort(rows.begin(), rows.end());
    // One signal per run of changed rows, so the views hear of no others.
    for (size_t i = 0; i < rows.size();) {
        size_t j = i + 1;
        while (j < rows.size() && rows[j] <= rows[j - 1] + 1)
            ++j;
        emit dataChanged(index(rows[i] - 1, RecipientCol), index(rows[j - 1] - 1, ReceiveTimeCol));
        i = j;
    }
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_shown.count;
}

int HistoryModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

const HistoryRow *HistoryModel::cached(qint64 key) const
{
    const qint64 pageNo = key / PageRows;
    auto page = m_pages.find(pageNo);
    if (page == m_pages.end()) {
        if (m_pages.size() >= 32) // what one screen and a scroll need
            m_pages.clear();
        page = m_pages.insert(
            pageNo, m_log.page(pageNo * PageRows, pageNo * PageRows + PageRows - 1, ListedChars));
    }
    const auto at = std::lower_bound(page->begin(), page->end(), key,
                                     [](const HistoryRow &r, qint64 k) { return r.key < k; });
    return at != page->end() && at->key == key ? &*at : nullptr;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    return cell(m_shown.key(index.row() + 1), index.column(), role);
}

QVariant HistoryModel::cell(qint64 key, int column, int role) const
{
    if (role == Qt::TextAlignmentRole)
        return column == SendTimeCol ? int(Qt::AlignCenter) : int(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole && role != Qt::AccessibleDescriptionRole)
        return {};
    const HistoryRow *r = cached(key);
    if (!r)
        return QString();
    // Read aloud with any cell of its row: the whole message.
    if (role == Qt::AccessibleDescriptionRole)
        return r->message;
    switch (column) {
    case DateCol:
        return r->date;
    case SenderCol:
        return r->sender;
    case RecipientCol:
        return r->recipient;
    case SendTimeCol:
        return r->sendTime;
    case ReceiveTimeCol:
        return r->receiveTime;
    case MessageCol:
        return r->message;
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

HistoryRow HistoryModel::row(int n) const
{
    return m_log.row(keyOf(n)).value_or(HistoryRow{});
}

HistoryRow HistoryModel::rowByKey(qint64 key) const
{
    return m_log.row(key).value_or(HistoryRow{});
}

void HistoryModel::forEach(const std::function<void(const HistoryRow &)> &f) const
{
    m_log.forEach(f);
}

int HistoryModel::logAddSend(const QString &recipient, const QString &message)
{
    const QDateTime now = m_clock.now();
    const QString time = fieldtext::timeText(now);
    return m_log.add(
        {fieldtext::dateText(now), m_localShortName(), recipient, time, QString(), message}, true);
}

int HistoryModel::logAddRecv(const QString &senderShortName, const QString &message)
{
    const QDateTime now = m_clock.now();
    return m_log.add({fieldtext::dateText(now), senderShortName, QString(),
                      fieldtext::timeText(now), QString(), message, true},
                     false);
}

void HistoryModel::logSetOpen(qint64 key)
{
    m_log.setOpened(key, m_localShortName(), fieldtext::timeText(m_clock.now()));
}

void HistoryModel::logSetDiscard()
{
    // A sent row waits for its peer's answer, which this user's discarding
    // does not give.
    m_log.markWaiting(m_localShortName(), fieldtext::timeText(m_clock.now()) + DiscardMark);
}

void HistoryModel::logSetResult(int sentRowNo, bool discarded)
{
    QString time = fieldtext::timeText(m_clock.now());
    if (discarded)
        time += DiscardMark;
    m_log.setResult(sentRowNo, time);
}

void HistoryModel::dropLast(int number)
{
    m_log.dropLast(number);
}

void HistoryModel::clear()
{
    m_log.clear();
}
