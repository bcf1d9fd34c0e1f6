#pragma once

#include "keeprule.h"

#include <QObject>
#include <QTimer>
#include <functional>

class Clock;
class HistoryModel;

// Keeps the history as long as the user chose (KeepRule): at start and
// once a day the oldest rows leave the list, a couple of thousand a turn
// of the event loop, and the store's sweep deletes them in small steps.
// A row whose message still waits in the inbox stays (at the top).
class HistoryKeeper : public QObject
{
    Q_OBJECT
public:
    // waiting: whether the key is the history row of a waiting message.
    HistoryKeeper(HistoryModel &history, const Clock &clock, std::function<bool(qint64)> waiting,
                  QObject *parent = nullptr);

    void setRule(const KeepRule &rule);
    const KeepRule &rule() const { return m_rule; }
    // Applies the rule now, and again a day later.
    void apply();
    bool busy() const { return m_step.isActive(); }

signals:
    // A pass ended: the list is as long as the rule lets it be.
    void applied();

private:
    void finish();
    void step();

    HistoryModel &m_history;
    const Clock &m_clock;
    std::function<bool(qint64)> m_waiting;
    KeepRule m_rule;
    int m_spared = 0; // rows at the top that stay whatever their age
    QTimer m_step;
    QTimer m_daily;
};
