#include "historymodel.h"

#include <algorithm>
#include <limits>
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
      m_localShortName(std::move(localShortName)), m_table(store)
{
    connect(&m_store, &Store::began, this, [this] { m_loadBefore = m_load; });
    connect(&m_store, &Store::committed, this, &HistoryModel::publish);
    connect(&m_store, &Store::rolledBack, this, &HistoryModel::restore);
    connect(&m_store, &Store::closing, this, [this] { m_table.forget(); });
    connect(&m_store, &Store::opened, this, &HistoryModel::storeOpened);
    connect(&m_sweepTimer, &QTimer::timeout, this, &HistoryModel::sweepStep);
    if (m_store.db().isOpen())
        storeOpened();
}

void HistoryModel::storeOpened()
{
    m_load = m_loadBefore = {};
    reload();
    // A load or a sweep the last run did not finish.
    if (m_store.meta(QStringLiteral("sweep")) != 0)
        m_sweepTimer.start();
}

HistoryModel::HistoryModel(const Clock &clock, std::function<QString()> localShortName,
                           QObject *parent)
    : QAbstractTableModel(parent), m_ownStore(memoryStore()), m_store(*m_ownStore), m_clock(clock),
      m_localShortName(std::move(localShortName)), m_table(m_store)
{
    connect(&m_store, &Store::began, this, [this] { m_loadBefore = m_load; });
    connect(&m_store, &Store::committed, this, &HistoryModel::publish);
    connect(&m_store, &Store::rolledBack, this, &HistoryModel::restore);
}

HistoryModel::~HistoryModel() = default;

void HistoryModel::reload()
{
    beginResetModel();
    m_order = {m_table.runs(), 0};
    for (const auto &r : m_order.runs)
        m_order.count += int(r.count);
    m_shown = m_order;
    m_changed.clear();
    m_pages.clear();
    endResetModel();
}

void HistoryModel::restore()
{
    m_order = m_shown;
    m_load = m_loadBefore;
    m_changed.clear();
    // A page read in the batch may hold what was undone.
    m_pages.clear();
}

namespace {

// How many rows the two orders list alike from the top.
qint64 alike(const std::vector<HistoryTable::Run> &a, const std::vector<HistoryTable::Run> &b)
{
    qint64 rows = 0;
    size_t i = 0;
    size_t j = 0;
    qint64 ai = 0; // rows of a[i] already matched
    qint64 bj = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].first + ai != b[j].first + bj)
            break;
        const qint64 n = std::min(a[i].count - ai, b[j].count - bj);
        rows += n;
        ai += n;
        bj += n;
        if (ai == a[i].count) {
            ++i;
            ai = 0;
        }
        if (bj == b[j].count) {
            ++j;
            bj = 0;
        }
    }
    return rows;
}

} // namespace

void HistoryModel::publish()
{
    const qint64 same = alike(m_shown.runs, m_order.runs);
    const int before = m_shown.count;
    const int after = m_order.count;
    if (same == before && after > before) {
        beginInsertRows({}, before, after - 1);
        m_shown = m_order;
        endInsertRows();
    } else if (same == after && before > after) {
        beginRemoveRows({}, after, before - 1);
        m_shown = m_order;
        endRemoveRows();
    } else if (same != before || same != after) {
        beginResetModel();
        m_shown = m_order;
        m_changed.clear();
        m_pages.clear();
        endResetModel();
    }
    if (m_changed.empty())
        return;
    std::vector<int> rows;
    for (const qint64 key : std::exchange(m_changed, {})) {
        m_pages.remove(key / PageRows);
        if (const int rowNo = rowIn(m_shown, key))
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
            pageNo, m_table.page(pageNo * PageRows, pageNo * PageRows + PageRows - 1, ListedChars));
    }
    const auto at = std::lower_bound(page->begin(), page->end(), key,
                                     [](const HistoryRow &r, qint64 k) { return r.key < k; });
    return at != page->end() && at->key == key ? &*at : nullptr;
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
    const HistoryRow *r = cached(keyIn(m_shown, index.row() + 1));
    if (!r)
        return QString();
    switch (index.column()) {
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
    return m_table.row(keyOf(n)).value_or(HistoryRow{});
}

void HistoryModel::forEach(const std::function<void(const HistoryRow &)> &f) const
{
    for (const auto &r : m_order.runs)
        m_table.each(r.first, r.first + r.count - 1, f);
}

qint64 HistoryModel::keyOf(int rowNo) const
{
    return keyIn(m_order, rowNo);
}

int HistoryModel::rowOf(qint64 key) const
{
    return rowIn(m_order, key);
}

qint64 HistoryModel::keyIn(const Order &order, int rowNo)
{
    if (rowNo < 1 || rowNo > order.count)
        return 0;
    qint64 left = rowNo - 1;
    for (const auto &r : order.runs) {
        if (left < r.count)
            return r.first + left;
        left -= r.count;
    }
    return 0;
}

int HistoryModel::rowIn(const Order &order, qint64 key)
{
    qint64 before = 0;
    for (const auto &r : order.runs) {
        if (key >= r.first && key < r.first + r.count)
            return int(before + key - r.first) + 1;
        before += r.count;
    }
    return 0;
}

void HistoryModel::extendRuns(qint64 first, qint64 count)
{
    auto &runs = m_order.runs;
    if (!runs.empty() && runs.back().first + runs.back().count == first)
        runs.back().count += count;
    else
        runs.push_back({runs.empty() ? 1 : runs.back().seq + 1, first, count});
    m_table.saveRun(runs.back());
    m_order.count += int(count);
    for (qint64 page = first / PageRows; page <= (first + count - 1) / PageRows; ++page)
        m_pages.remove(page);
}

void HistoryModel::rowChanged(qint64 key)
{
    m_changed.push_back(key);
}

int HistoryModel::appendRow(HistoryRow row, bool sent)
{
    m_store.begin();
    row.key = m_store.takeKeys(1);
    const int at = m_order.count + 1;
    m_table.insert(row, sent ? at : 0);
    extendRuns(row.key, 1);
    m_store.end();
    return at;
}

int HistoryModel::logAddSend(const QString &recipient, const QString &message)
{
    const QDateTime now = m_clock.now();
    const QString time = fieldtext::timeText(now);
    return appendRow(
        {fieldtext::dateText(now), m_localShortName(), recipient, time, QString(), message}, true);
}

int HistoryModel::logAddRecv(const QString &senderShortName, const QString &message)
{
    const QDateTime now = m_clock.now();
    return appendRow({fieldtext::dateText(now), senderShortName, QString(),
                      fieldtext::timeText(now), QString(), message, true},
                     false);
}

void HistoryModel::logSetOpen(qint64 key)
{
    const int rowNo = rowOf(key);
    if (rowNo == 0)
        return;
    m_store.begin();
    m_table.setRecipient(key, m_localShortName(), fieldtext::timeText(m_clock.now()));
    rowChanged(key);
    m_store.end();
}

void HistoryModel::logSetDiscard()
{
    // A sent row waits for its peer's answer, which this user's discarding
    // does not give.
    m_store.begin();
    for (const qint64 key :
         m_table.markWaiting(m_localShortName(), fieldtext::timeText(m_clock.now()) + DiscardMark))
        rowChanged(key);
    m_store.end();
}

void HistoryModel::logSetResult(int sentRowNo, bool discarded)
{
    const qint64 key = m_table.sentWith(sentRowNo);
    const int rowNo = key > 0 ? rowOf(key) : 0;
    if (rowNo == 0)
        return;
    QString time = fieldtext::timeText(m_clock.now());
    if (discarded)
        time += DiscardMark;
    m_store.begin();
    m_table.setReceiveTime(key, time);
    rowChanged(key);
    m_store.end();
}

void HistoryModel::dropLast(int rowNo)
{
    if (rowNo != m_order.count || rowNo < 1)
        return;
    const qint64 key = keyOf(rowNo);
    m_store.begin();
    m_table.remove(key);
    HistoryTable::Run &last = m_order.runs.back();
    --last.count;
    m_table.saveRun(last);
    if (last.count == 0)
        m_order.runs.pop_back();
    --m_order.count;
    m_load.kept = std::min(m_load.kept, m_order.count);
    if (m_store.end())
        m_store.releaseKey(key);
}

void HistoryModel::clear()
{
    m_store.begin();
    m_table.clear();
    m_store.setMeta(QStringLiteral("sweep"), 1);
    m_order = {};
    m_load.kept = 0;
    if (m_store.end())
        m_sweepTimer.start();
}

bool HistoryModel::beginLoad(qint64 maxRows, bool replace)
{
    if (loading())
        return false;
    m_store.begin();
    const qint64 first = m_store.takeKeys(maxRows);
    // Should the program end before the rows come into the list, they are swept.
    m_store.setMeta(QStringLiteral("keyFloor"), first + maxRows);
    m_store.setMeta(QStringLiteral("sweep"), 1);
    m_load = {first, first, first + maxRows, replace, m_order.count};
    return m_store.end();
}

bool HistoryModel::stage(const std::vector<HistoryRow> &rows)
{
    m_store.begin();
    for (HistoryRow row : rows) {
        if (m_load.next >= m_load.end)
            break;
        row.key = m_load.next++;
        m_table.insert(row, 0);
    }
    return m_store.end();
}

bool HistoryModel::finishLoad()
{
    if (!loading())
        return false;
    m_store.begin();
    const Load load = std::exchange(m_load, {});
    if (load.replace) {
        // The rows the list held when the load began give way.
        int drop = load.kept;
        auto &runs = m_order.runs;
        while (drop > 0 && !runs.empty()) {
            HistoryTable::Run &r = runs.front();
            const qint64 n = std::min<qint64>(drop, r.count);
            r.first += n;
            r.count -= n;
            drop -= int(n);
            m_order.count -= int(n);
            m_table.saveRun(r);
            if (r.count == 0)
                runs.erase(runs.begin());
        }
    }
    if (load.next > load.first)
        extendRuns(load.first, load.next - load.first);
    m_store.setMeta(QStringLiteral("sweep"), 1);
    const bool kept = m_store.end();
    if (!kept)
        m_load = {};
    m_sweepTimer.start();
    return kept;
}

void HistoryModel::abandonLoad()
{
    m_load = {};
    startSweep();
}

void HistoryModel::startSweep()
{
    m_store.begin();
    m_store.setMeta(QStringLiteral("sweep"), 1);
    m_store.end();
    m_sweepTimer.start();
}

void HistoryModel::sweepStep()
{
    constexpr int Step = 2000;
    // What stays: every run and the keys a load set aside.
    std::vector<std::pair<qint64, qint64>> keep;
    for (const auto &r : m_order.runs)
        keep.emplace_back(r.first, r.first + r.count - 1);
    if (loading())
        keep.emplace_back(m_load.first, m_load.end - 1);
    std::sort(keep.begin(), keep.end());
    qint64 from = 0;
    m_store.begin();
    int left = Step;
    for (size_t i = 0; i <= keep.size() && left > 0; ++i) {
        const qint64 to = i < keep.size() ? keep[i].first - 1 : std::numeric_limits<qint64>::max();
        if (to >= from)
            left -= m_table.removeRange(from, to, left);
        if (i < keep.size())
            from = std::max(from, keep[i].second + 1);
    }
    if (left > 0)
        m_store.setMeta(QStringLiteral("sweep"), 0);
    // Done, or the disk refuses: the next start sweeps what is left.
    if (!m_store.end() || left > 0)
        m_sweepTimer.stop();
}

void HistoryModel::append(const std::vector<HistoryRow> &rows)
{
    if (rows.empty())
        return;
    m_store.begin();
    const qint64 first = m_store.takeKeys(qint64(rows.size()));
    qint64 key = first;
    for (HistoryRow row : rows) {
        row.key = key++;
        m_table.insert(row, 0);
    }
    extendRuns(first, qint64(rows.size()));
    m_store.end();
}
