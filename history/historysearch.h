#pragma once

#include "historytable.h"

#include <QAbstractTableModel>
#include <QDate>
#include <QTimer>
#include <vector>

class HistoryModel;

// The rows of the history list that a search found, in the list's order.
// The search runs on the window thread in short steps (the index answers
// each in a few milliseconds), so the first rows show at once and
// datagrams are answered throughout; the count grows until it is done. A
// row added meanwhile that matches comes in last; rows leaving the list
// make the search run again.
class HistorySearch : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit HistorySearch(HistoryModel &history, QObject *parent = nullptr);

    // Words separated by blanks, all of them in the sender, the recipient or
    // the message; dates inclusive, a null one open. Nothing: no search.
    void find(const QString &text, const QDate &from, const QDate &to);
    void stop();
    bool active() const { return m_active; }
    bool running() const { return m_timer.isActive(); }
    qint64 keyOf(int row) const { return m_keys[size_t(row)]; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // What the list tells (the composition root connects them): rows first
    // to last (0-based) came in last; rows left it; rows changed.
    void rowsAdded(int first, int last);
    void restart();
    void rowsChanged();

signals:
    // Rows were found, or the search ended or stopped.
    void changed();

private:
    void step();
    void append(const std::vector<qint64> &keys);
    bool matches(qint64 key) const;

    HistoryModel &m_history;
    HistoryTable::Query m_query;
    bool m_active = false;
    std::vector<qint64> m_keys;
    // Where the search stands: the list's runs as they were at its start.
    std::vector<HistoryTable::Run> m_runs;
    size_t m_run = 0;
    qint64 m_after = 0;
    std::vector<qint64> m_arrived; // added while it runs: they come last
    QTimer m_timer;
};
