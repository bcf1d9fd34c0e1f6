#include "findindexer.h"

#include "asideconnection.h"
#include "findterms.h"
#include "writegate.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

namespace {

// A few milliseconds of work: what a datagram may wait for the write lock.
constexpr qint64 StepKeys = 500;
constexpr int StepsBetweenCheckpoints = 50;

} // namespace

bool findindex::mergeStep(QSqlDatabase &db)
{
    constexpr int Pages = 32;
    QSqlQuery q(db);
    const auto changes = [&q] {
        return q.exec(QStringLiteral("SELECT total_changes()")) && q.next()
                   ? q.value(0).toLongLong()
                   : -1;
    };
    const qint64 before = changes();
    writegate::yieldToForeground();
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return false;
    if (!q.exec(QStringLiteral("INSERT INTO history_find(history_find, rank) VALUES('merge', %1)")
                    .arg(Pages)) ||
        !q.exec(QStringLiteral("COMMIT"))) {
        q.exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    // Fewer than two changes: there was nothing left to merge.
    return changes() - before >= 2;
}

FindIndexer::FindIndexer(const QString &path, FileIdentity identity, QObject *parent)
    : QObject(parent), m_path(path), m_identity(identity)
{
    m_thread = QThread::create([this] { run(); });
    m_thread->start(QThread::LowPriority);
}

FindIndexer::~FindIndexer()
{
    m_stop = true;
    m_thread->wait();
    delete m_thread;
}

bool FindIndexer::step(QSqlDatabase &db)
{
    if (FileIdentity::of(m_path) != m_identity)
        return false;
    QSqlQuery q(db);
    writegate::yieldToForeground();
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return !m_stop; // busy past the timeout: the next step tries again
    const auto fail = [&db](const QSqlQuery &failed) {
        qWarning("portana: store: index: %s", qPrintable(failed.lastError().text()));
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    if (!q.exec(QStringLiteral("SELECT first, last, (SELECT sum(last - first + 1) FROM find_pending"
                               " WHERE ready = 1) FROM find_pending WHERE ready = 1"
                               " ORDER BY first LIMIT 1")))
        return fail(q);
    if (!q.next()) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    const qint64 from = q.value(0).toLongLong();
    const qint64 to = q.value(1).toLongLong();
    const qint64 left = q.value(2).toLongLong();
    q.finish();
    if (m_total < 0)
        m_total = left;
    m_total = std::max(m_total, m_done + left); // a file read in meanwhile
    const qint64 last = std::min(to, from + StepKeys - 1);
    QSqlQuery rows(db);
    rows.setForwardOnly(true);
    rows.prepare(QStringLiteral(
        "SELECT key, sender, recipient, message FROM history WHERE key BETWEEN ? AND ?"));
    rows.addBindValue(from);
    rows.addBindValue(last);
    if (!rows.exec())
        return fail(rows);
    QSqlQuery insert(db);
    insert.prepare(QStringLiteral("INSERT INTO history_find(rowid, terms) VALUES(?, ?)"));
    while (rows.next()) {
        insert.addBindValue(rows.value(0));
        insert.addBindValue(findterms::terms(rows.value(1).toString(), rows.value(2).toString(),
                                             rows.value(3).toString()));
        if (!insert.exec())
            return fail(insert);
    }
    QSqlQuery mark(db);
    if (last >= to) {
        mark.prepare(QStringLiteral("DELETE FROM find_pending WHERE first = ?"));
        mark.addBindValue(from);
    } else {
        mark.prepare(QStringLiteral("UPDATE find_pending SET first = ? WHERE first = ?"));
        mark.addBindValue(last + 1);
        mark.addBindValue(from);
    }
    if (!mark.exec() || !QSqlQuery(db).exec(QStringLiteral("COMMIT")))
        return fail(mark);
    m_done += last - from + 1;
    emit progress(std::min(m_done, m_total), m_total);
    findindex::mergeStep(db);
    return true;
}

void FindIndexer::run()
{
    {
        AsideConnection aside("index", m_path, m_identity, 5000, 2048);
        if (aside.ours()) {
            for (int n = 1; !m_stop && step(aside.db()); ++n) {
                // The log grows by every step; nobody else folds it in meanwhile.
                if (n % StepsBetweenCheckpoints == 0)
                    QSqlQuery(aside.db()).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
            }
            QSqlQuery(aside.db()).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
        }
    }
    if (!m_stop)
        emit finished();
}
