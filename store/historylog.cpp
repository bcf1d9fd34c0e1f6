#include "historylog.h"

#include "store.h"

#include <algorithm>
#include <limits>
#include <utility>

qint64 HistoryLog::Order::key(int rowNo) const
{
    if (rowNo < 1 || rowNo > count)
        return 0;
    qint64 left = rowNo - 1;
    for (const auto &r : runs) {
        if (left < r.count)
            return r.first + left;
        left -= r.count;
    }
    return 0;
}

int HistoryLog::Order::rowOf(qint64 key) const
{
    qint64 before = 0;
    for (const auto &r : runs) {
        if (key >= r.first && key < r.first + r.count)
            return int(before + key - r.first) + 1;
        before += r.count;
    }
    return 0;
}

qint64 HistoryLog::Order::alike(const Order &a, const Order &b)
{
    qint64 rows = 0;
    size_t i = 0;
    size_t j = 0;
    qint64 ai = 0; // rows of a.runs[i] already matched
    qint64 bj = 0;
    while (i < a.runs.size() && j < b.runs.size()) {
        if (a.runs[i].first + ai != b.runs[j].first + bj)
            break;
        const qint64 n = std::min(a.runs[i].count - ai, b.runs[j].count - bj);
        rows += n;
        ai += n;
        bj += n;
        if (ai == a.runs[i].count) {
            ++i;
            ai = 0;
        }
        if (bj == b.runs[j].count) {
            ++j;
            bj = 0;
        }
    }
    return rows;
}

HistoryLog::HistoryLog(Store &store, QObject *parent)
    : QObject(parent), m_store(store), m_table(store)
{
}

HistoryLog::~HistoryLog() = default;

void HistoryLog::batchCommitted()
{
    m_kept = m_order;
    m_loadKept = m_load;
}

void HistoryLog::batchRolledBack()
{
    m_order = m_kept;
    m_load = m_loadKept;
    m_changed.clear();
}

void HistoryLog::storeClosing()
{
    m_table.forget();
}

void HistoryLog::reload()
{
    m_order = {m_table.runs(), 0};
    for (const auto &r : m_order.runs)
        m_order.count += int(r.count);
    m_kept = m_order;
    m_load = m_loadKept = {};
    m_changed.clear();
}

std::vector<HistoryRow> HistoryLog::page(qint64 first, qint64 last, int messageChars) const
{
    return m_table.page(first, last, messageChars);
}

std::optional<HistoryRow> HistoryLog::row(qint64 key) const
{
    return m_table.row(key);
}

void HistoryLog::forEach(const std::function<void(const HistoryRow &)> &f) const
{
    for (const auto &r : m_order.runs)
        m_table.each(r.first, r.first + r.count - 1, f);
}

void HistoryLog::extendRuns(qint64 first, qint64 count)
{
    auto &runs = m_order.runs;
    if (!runs.empty() && runs.back().first + runs.back().count == first)
        runs.back().count += count;
    else
        runs.push_back({runs.empty() ? 1 : runs.back().seq + 1, first, count});
    m_table.saveRun(runs.back());
    m_order.count += int(count);
}

int HistoryLog::add(HistoryRow row, bool sent)
{
    m_store.begin();
    row.key = m_store.takeKeys(1);
    const int at = m_order.count + 1;
    const int number = sent ? m_table.nextSentNo(at) : 0;
    m_table.insert(row, number);
    extendRuns(row.key, 1);
    if (sent) {
        m_lastSentKey = row.key;
        m_lastSentNo = number;
    }
    m_store.end();
    return sent ? number : at;
}

void HistoryLog::setOpened(qint64 key, const QString &recipient, const QString &receiveTime)
{
    if (m_order.rowOf(key) == 0)
        return;
    m_store.begin();
    m_table.setRecipient(key, recipient, receiveTime);
    m_changed.push_back(key);
    m_store.end();
}

void HistoryLog::setResult(int sentNo, const QString &receiveTime)
{
    const qint64 key = m_table.sentWith(sentNo);
    if (key <= 0 || m_order.rowOf(key) == 0)
        return;
    m_store.begin();
    m_table.setReceiveTime(key, receiveTime);
    m_changed.push_back(key);
    m_store.end();
}

void HistoryLog::markWaiting(const QString &recipient, const QString &receiveTime)
{
    m_store.begin();
    for (const qint64 key : m_table.markWaiting(recipient, receiveTime))
        m_changed.push_back(key);
    m_store.end();
}

void HistoryLog::dropLast()
{
    if (m_order.count < 1)
        return;
    const qint64 key = m_order.key(m_order.count);
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

void HistoryLog::dropLast(int number)
{
    if (m_order.count < 1)
        return;
    // A sent row by the number it went out with, another by its row number.
    const bool sent = m_order.key(m_order.count) == m_lastSentKey;
    if (number == 0 || number != (sent ? m_lastSentNo : m_order.count))
        return;
    m_store.begin();
    // A message that never left: its number goes out with the next.
    if (sent)
        m_store.setMeta(QStringLiteral("lastSentNo"), number - 1);
    dropLast();
    m_store.end();
}

void HistoryLog::clear()
{
    m_store.begin();
    m_table.clear();
    m_store.markSweep();
    m_order = {};
    m_load.kept = 0;
    if (m_store.end())
        sweep();
}

int HistoryLog::unlist(int skip, int n, const std::function<bool(qint64)> &spare)
{
    std::vector<HistoryTable::Run> runs;
    const auto append = [&runs](qint64 first, qint64 count) {
        if (!runs.empty() && runs.back().first + runs.back().count == first)
            runs.back().count += count;
        else
            runs.push_back({0, first, count});
    };
    int row = 0; // rows passed
    int spared = 0;
    for (const auto &r : m_order.runs) {
        for (qint64 i = 0; i < r.count;) {
            const qint64 key = r.first + i;
            if (row < skip || row >= skip + n) {
                // Outside the rows that go: the rest of the run as it is, at once.
                const qint64 upto =
                    row < skip ? std::min<qint64>(r.count, i + skip - row) : r.count;
                append(key, upto - i);
                row += int(upto - i);
                i = upto;
                continue;
            }
            if (spare(key)) {
                append(key, 1);
                ++spared;
            }
            ++row;
            ++i;
        }
    }
    const int gone = std::min(n, std::max(0, m_order.count - skip)) - spared;
    if (gone <= 0)
        return spared;
    m_store.begin();
    m_table.replaceRuns(runs);
    m_order.runs = std::move(runs);
    m_order.count -= gone;
    m_load.kept = std::max(0, m_load.kept - gone);
    m_store.markSweep();
    if (m_store.end())
        sweep();
    return spared;
}

QStringList HistoryLog::dates(int from, int n) const
{
    QStringList out;
    int row = 1;
    for (const auto &r : m_order.runs) {
        const int first = std::max(from, row);
        const int last = std::min<qint64>(from + n - 1, row + r.count - 1);
        if (first <= last)
            for (const HistoryRow &h :
                 m_table.page(r.first + (first - row), r.first + (last - row), 0))
                out << h.date;
        row += int(r.count);
        if (row >= from + n)
            break;
    }
    return out;
}

bool HistoryLog::beginLoad(qint64 maxRows, bool replace)
{
    if (loading())
        return false;
    m_store.begin();
    const qint64 first = m_store.takeKeys(maxRows);
    // Should the program end before the rows are listed, they are swept.
    m_store.setMeta(QStringLiteral("keyFloor"), first + maxRows);
    m_store.markSweep();
    // The file's rows get their terms after it is read, in the background.
    m_table.setPending(first, first + maxRows - 1, false);
    m_load = {first, first, first + maxRows, replace, m_order.count};
    // Its rows stay while they load, from the first that is kept.
    m_store.setLoad(first, first + maxRows);
    return m_store.end();
}

bool HistoryLog::stage(const std::vector<HistoryRow> &rows)
{
    m_store.begin();
    for (HistoryRow row : rows) {
        if (m_load.next >= m_load.end)
            break;
        row.key = m_load.next++;
        m_table.insert(row, 0, false);
    }
    return m_store.end();
}

bool HistoryLog::finishLoad()
{
    if (!loading())
        return false;
    m_store.begin();
    const Load load = std::exchange(m_load, {});
    if (load.replace) {
        // The rows listed when the load began give way.
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
    if (load.next > load.first)
        m_table.setPending(load.first, load.next - 1, true);
    else
        m_table.dropPending(load.first);
    m_store.afterCommit([this] { m_store.indexLater(); });
    m_store.markSweep();
    const bool kept = m_store.end();
    if (!kept)
        m_load = {};
    sweep();
    return kept;
}

void HistoryLog::abandonLoad()
{
    m_load = {};
    startSweep();
}

void HistoryLog::sweep()
{
    m_store.sweepLater(m_load.first, m_load.end);
}

void HistoryLog::startSweep()
{
    m_store.begin();
    m_store.markSweep();
    m_store.end();
    sweep();
}
