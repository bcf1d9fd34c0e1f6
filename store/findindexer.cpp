#include "findindexer.h"

#include "findterms.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QUrl>
#include <QVariant>

namespace {

// A few milliseconds of work: what a datagram may wait for the write lock.
constexpr qint64 StepKeys = 500;
constexpr int StepsBetweenCheckpoints = 50;

} // namespace

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

bool FindIndexer::step(const QString &connection)
{
    if (FileIdentity::of(m_path) != m_identity)
        return false;
    QSqlDatabase db = QSqlDatabase::database(connection);
    QSqlQuery q(db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        return !m_stop; // busy past the timeout: the next step tries again
    const auto fail = [&db](const QSqlQuery &failed) {
        qWarning("portana: store: index: %s", qPrintable(failed.lastError().text()));
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    };
    if (!q.exec(QStringLiteral("SELECT (SELECT value FROM meta WHERE name = 'findFrom'),"
                               " (SELECT value FROM meta WHERE name = 'findTo')")) ||
        !q.next())
        return fail(q);
    if (q.value(1).isNull()) {
        QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
        return false;
    }
    const qint64 from = q.value(0).toLongLong();
    const qint64 to = q.value(1).toLongLong();
    if (m_first < 0)
        m_first = from;
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
    if (last >= to)
        mark.prepare(QStringLiteral("DELETE FROM meta WHERE name IN ('findFrom', 'findTo')"));
    else {
        mark.prepare(QStringLiteral("UPDATE meta SET value = ? WHERE name = 'findFrom'"));
        mark.addBindValue(last + 1);
    }
    if (!mark.exec() || !QSqlQuery(db).exec(QStringLiteral("COMMIT")))
        return fail(mark);
    emit progress(last - m_first + 1, to - m_first + 1);
    // The window thread's next batch gets the lock before the next step.
    QThread::msleep(2);
    return last < to;
}

void FindIndexer::run()
{
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("portana-index-%1").arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        QUrl uri = QUrl::fromLocalFile(m_path);
        uri.setQuery(QStringLiteral("mode=rw"));
        db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000;QSQLITE_OPEN_URI"));
        if (db.open() && FileIdentity::of(m_path) == m_identity) {
            QSqlQuery(db).exec(QStringLiteral("PRAGMA cache_size = -2048"));
            for (int n = 1; !m_stop && step(name); ++n) {
                // The log grows by every step; nobody else folds it in meanwhile.
                if (n % StepsBetweenCheckpoints == 0)
                    QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
            }
            QSqlQuery(db).exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)"));
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!m_stop)
        emit finished();
}
