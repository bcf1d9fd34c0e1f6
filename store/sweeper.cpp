#include "sweeper.h"

#include "asideconnection.h"
#include "findindexer.h"
#include "findterms.h"
#include "writegate.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <limits>
#include <vector>

namespace {

constexpr int StepRows = 500;
constexpr int StepsBetweenCheckpoints = 50;

using Ranges = std::vector<std::pair<qint64, qint64>>;

Ranges ranges(QSqlDatabase &db, const QString &sql)
{
    Ranges out;
    QSqlQuery q(db);
    if (q.exec(sql))
        while (q.next())
            out.emplace_back(q.value(0).toLongLong(), q.value(1).toLongLong());
    return out;
}

bool holds(const Ranges &rs, qint64 key)
{
    return std::any_of(rs.begin(), rs.end(),
                       [key](const auto &r) { return key >= r.first && key <= r.second; });
}

} // namespace

Sweeper::Sweeper(const QString &path, FileIdentity identity, std::function<void()> done)
    : m_path(path), m_identity(identity), m_done(std::move(done))
{
    m_thread = QThread::create([this] { run(); });
    m_thread->start(QThread::LowPriority);
}

Sweeper::~Sweeper()
{
    m_wakeup.stop();
    m_thread->wait();
    delete m_thread;
}

void Sweeper::sweep(qint64 loadFirst, qint64 loadEnd)
{
    setLoad(loadFirst, loadEnd);
    m_wakeup.wake();
}

void Sweeper::setLoad(qint64 first, qint64 end)
{
    std::lock_guard lock(m_mutex);
    m_loadFirst = first;
    m_loadEnd = end;
}

bool Sweeper::step(QSqlDatabase &db)
{
    if (FileIdentity::of(m_path) != m_identity)
        return false;
    writegate::yieldToForeground();
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false; // the next commit wakes it again
    const auto fail = [&db](const QSqlQuery &failed) {
        qWarning("portana: store: sweep: %s", qPrintable(failed.lastError().text()));
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    if (!q.exec(QStringLiteral("SELECT value FROM meta WHERE name = 'sweep'")))
        return fail(q);
    if (!q.next() || q.value(0).toLongLong() == 0) {
        q.finish();
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    q.finish();
    // What stays: every run, and the keys of the file that loads now.
    Ranges keep =
        ranges(db, QStringLiteral("SELECT first, first + count - 1 FROM runs WHERE count > 0"));
    qint64 loadFirst = 0;
    {
        std::lock_guard lock(m_mutex);
        if (m_loadEnd > m_loadFirst)
            keep.emplace_back(m_loadFirst, m_loadEnd - 1);
        loadFirst = m_loadFirst;
    }
    std::sort(keep.begin(), keep.end());
    // Rows without terms yet: nothing to take out of the index.
    const Ranges pending = ranges(db, QStringLiteral("SELECT first, last FROM find_pending"));
    QSqlQuery rows(db);
    rows.prepare(QStringLiteral("SELECT key, sender, recipient, message FROM history"
                                " WHERE key BETWEEN ? AND ? ORDER BY key LIMIT ?"));
    QSqlQuery unindex(db);
    unindex.prepare(QStringLiteral(
        "INSERT INTO history_find(history_find, rowid, terms) VALUES('delete', ?, ?)"));
    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM history WHERE key BETWEEN ? AND ?"));
    int left = StepRows;
    qint64 from = std::numeric_limits<qint64>::min();
    for (size_t i = 0; i <= keep.size() && left > 0; ++i) {
        const qint64 to = i < keep.size() ? keep[i].first - 1 : std::numeric_limits<qint64>::max();
        if (to >= from) {
            rows.addBindValue(from);
            rows.addBindValue(to);
            rows.addBindValue(left);
            if (!rows.exec())
                return fail(rows);
            qint64 last = 0;
            int n = 0;
            while (rows.next()) {
                last = rows.value(0).toLongLong();
                ++n;
                if (holds(pending, last))
                    continue;
                unindex.addBindValue(last);
                unindex.addBindValue(findterms::terms(
                    rows.value(1).toString(), rows.value(2).toString(), rows.value(3).toString()));
                if (!unindex.exec())
                    return fail(unindex);
            }
            rows.finish();
            if (n > 0) {
                remove.addBindValue(from);
                remove.addBindValue(last);
                if (!remove.exec())
                    return fail(remove);
                left -= n;
            }
        }
        if (i < keep.size())
            from = std::max(from, keep[i].second + 1);
    }
    if (left > 0) {
        // Nothing left: so is the place of the loads that never ended.
        QSqlQuery done(db);
        if (!done.exec(QStringLiteral("UPDATE meta SET value = 0 WHERE name = 'sweep'")))
            return fail(done);
        done.prepare(QStringLiteral("DELETE FROM find_pending WHERE ready = 0 AND first != ?"));
        done.addBindValue(loadFirst);
        if (!done.exec())
            return fail(done);
    }
    if (!QSqlQuery(db).exec(QStringLiteral("COMMIT")))
        return fail(q);
    findindex::mergeStep(db);
    if (left > 0)
        m_done();
    return left == 0;
}

void Sweeper::run()
{
    AsideConnection aside("sweep", m_path, m_identity, 5000, 2048);
    while (m_wakeup.wait()) {
        if (!aside.ours())
            continue;
        for (int n = 1; !m_wakeup.stopped() && step(aside.db()); ++n) {
            // The log grows by every step; nobody else folds it in meanwhile.
            if (n % StepsBetweenCheckpoints == 0)
                QSqlQuery(aside.db()).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
        }
        QSqlQuery(aside.db()).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
    }
}
