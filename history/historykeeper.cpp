#include "historykeeper.h"

#include "clock.h"
#include "historymodel.h"

#include <QDate>

namespace {

constexpr int StepRows = 2000;

// The dates rows carry: yy/MM/dd as this program writes them, or
// yyyy/MM/dd from an older file. Anything else is never too old.
QDate dateOf(const QString &text)
{
    const QStringList parts = text.trimmed().split(u'/');
    if (parts.size() != 3)
        return {};
    bool okY = false, okM = false, okD = false;
    int year = parts[0].toInt(&okY);
    const int month = parts[1].toInt(&okM);
    const int day = parts[2].toInt(&okD);
    if (!okY || !okM || !okD)
        return {};
    if (parts[0].size() == 2)
        year += 2000;
    else if (parts[0].size() != 4)
        return {};
    return QDate(year, month, day);
}

} // namespace

HistoryKeeper::HistoryKeeper(HistoryModel &history, const Clock &clock,
                             std::function<bool(qint64)> waiting, QObject *parent)
    : QObject(parent), m_history(history), m_clock(clock), m_waiting(std::move(waiting))
{
    m_step.setInterval(0);
    connect(&m_step, &QTimer::timeout, this, &HistoryKeeper::step);
    m_daily.setInterval(24 * 60 * 60 * 1000);
    connect(&m_daily, &QTimer::timeout, this, &HistoryKeeper::apply);
}

void HistoryKeeper::setRule(const KeepRule &rule)
{
    m_rule = rule;
}

void HistoryKeeper::apply()
{
    m_daily.start();
    if (m_rule.keep == KeepRule::Keep::All)
        return;
    m_spared = 0;
    m_step.start();
}

void HistoryKeeper::step()
{
    int drop = 0;
    const int count = m_history.rowCount();
    if (m_rule.keep == KeepRule::Keep::Rows) {
        drop = std::min(StepRows, count - m_spared - m_rule.count);
    } else {
        const QDate cutoff = m_clock.now().date().addDays(-m_rule.count + 1);
        const QStringList dates = m_history.dates(m_spared + 1, StepRows);
        while (drop < dates.size()) {
            const QDate d = dateOf(dates[drop]);
            if (!d.isValid() || d >= cutoff)
                break;
            ++drop;
        }
        // The first row young enough ends it; so does the end of the list.
        if (drop < dates.size() || dates.size() < StepRows) {
            m_history.unlist(m_spared, drop, m_waiting);
            finish();
            return;
        }
    }
    if (drop <= 0) {
        finish();
        return;
    }
    m_spared += m_history.unlist(m_spared, drop, m_waiting);
}

void HistoryKeeper::finish()
{
    m_step.stop();
    emit applied();
}
