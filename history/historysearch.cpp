#include "historysearch.h"

#include "fieldtext.h"
#include "findterms.h"
#include "historymodel.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <algorithm>

namespace {

QString dateText(const QDate &date)
{
    return date.isValid() ? fieldtext::dateText(QDateTime(date, QTime(0, 0))) : QString();
}

} // namespace

HistorySearch::HistorySearch(HistoryModel &history, QObject *parent)
    : QAbstractTableModel(parent), m_history(history)
{
    m_timer.setInterval(0);
    connect(&m_timer, &QTimer::timeout, this, &HistorySearch::step);
}

void HistorySearch::rowsChanged()
{
    // Which found rows they are is not worth finding: only the shown ones repaint.
    if (!m_keys.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, HistoryModel::ColumnCount - 1));
}

void HistorySearch::find(const QString &text, const QDate &from, const QDate &to)
{
    HistoryTable::Query query;
    query.words =
        findterms::fold(text).split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    query.from = dateText(from);
    query.to = dateText(to);
    if (query.empty()) {
        stop();
        return;
    }
    m_query = query;
    m_active = true;
    restart();
}

void HistorySearch::stop()
{
    m_timer.stop();
    beginResetModel();
    m_active = false;
    m_keys.clear();
    m_arrived.clear();
    endResetModel();
    emit changed();
}

void HistorySearch::restart()
{
    if (!m_active)
        return;
    beginResetModel();
    m_keys.clear();
    m_arrived.clear();
    m_runs = m_history.order().runs;
    m_run = 0;
    m_after = m_runs.empty() ? 0 : m_runs.front().first - 1;
    endResetModel();
    m_timer.start();
    step(); // the first rows show with the keystroke's pause, not a turn later
}

void HistorySearch::step()
{
    QElapsedTimer spent;
    spent.start();
    std::vector<qint64> found;
    // A few milliseconds a turn: what is found shows, and datagrams wait little.
    while (m_run < m_runs.size() && spent.elapsed() < 8) {
        const HistoryTable::Run &run = m_runs[m_run];
        const qint64 last = run.first + run.count - 1;
        HistoryTable::Found f = m_history.find(m_query, m_after, last);
        found.insert(found.end(), f.keys.begin(), f.keys.end());
        m_after = f.through;
        if (m_after >= last && ++m_run < m_runs.size())
            m_after = m_runs[m_run].first - 1;
    }
    if (m_run >= m_runs.size()) {
        m_timer.stop();
        found.insert(found.end(), m_arrived.begin(), m_arrived.end());
        m_arrived.clear();
    }
    append(found);
    emit changed();
}

void HistorySearch::append(const std::vector<qint64> &keys)
{
    if (keys.empty())
        return;
    const int at = rowCount();
    beginInsertRows({}, at, at + int(keys.size()) - 1);
    m_keys.insert(m_keys.end(), keys.begin(), keys.end());
    endInsertRows();
}

bool HistorySearch::matches(qint64 key) const
{
    const HistoryRow row = m_history.rowByKey(key);
    if ((!m_query.from.isEmpty() && row.date < m_query.from) ||
        (!m_query.to.isEmpty() && row.date > m_query.to))
        return false;
    return std::all_of(m_query.words.begin(), m_query.words.end(),
                       [&row](const QString &w) { return findterms::contains(row, w); });
}

void HistorySearch::rowsAdded(int first, int last)
{
    if (!m_active)
        return;
    // Rows come in last, one by one; a file loaded whole comes as many at once.
    if (last - first > 64) {
        restart();
        return;
    }
    std::vector<qint64> found;
    for (int r = first; r <= last; ++r) {
        const qint64 key = m_history.keyOf(r + 1);
        if (matches(key))
            found.push_back(key);
    }
    if (running()) {
        m_arrived.insert(m_arrived.end(), found.begin(), found.end());
        return;
    }
    append(found);
    if (!found.empty())
        emit changed();
}

int HistorySearch::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_keys.size());
}

int HistorySearch::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : HistoryModel::ColumnCount;
}

QVariant HistorySearch::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    return m_history.cell(keyOf(index.row()), index.column(), role);
}

QVariant HistorySearch::headerData(int section, Qt::Orientation orientation, int role) const
{
    return m_history.headerData(section, orientation, role);
}
