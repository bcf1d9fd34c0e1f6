#include "store.h"

#include "checkpointer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace {

QString newConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("portana-store-%1").arg(++counter);
}

// The layout of version 1. Row text is kept as the list shows it; the body
// goes last so that reading the other columns never touches its pages.
const QStringList Schema = {
    QStringLiteral("CREATE TABLE history(key INTEGER PRIMARY KEY, date TEXT NOT NULL,"
                   " sender TEXT NOT NULL, recipient TEXT NOT NULL, sendTime TEXT NOT NULL,"
                   " receiveTime TEXT NOT NULL, received INTEGER NOT NULL, sentNo INTEGER,"
                   " message TEXT NOT NULL)"),
    // A peer's answer names the newest row sent with its number.
    QStringLiteral("CREATE INDEX history_sent ON history(sentNo, key) WHERE sentNo IS NOT NULL"),
    // Received rows nobody has answered yet: what 閉じる marks.
    QStringLiteral("CREATE INDEX history_waiting ON history(key)"
                   " WHERE received = 1 AND receiveTime = ''"),
    // The list's order: runs of consecutive keys, in the order they are shown.
    QStringLiteral("CREATE TABLE runs(seq INTEGER PRIMARY KEY, first INTEGER NOT NULL,"
                   " count INTEGER NOT NULL)"),
    QStringLiteral("CREATE TABLE inbox(serial INTEGER PRIMARY KEY, name TEXT NOT NULL,"
                   " ip TEXT NOT NULL, sendTime TEXT NOT NULL, rowNo TEXT NOT NULL,"
                   " opened INTEGER NOT NULL, logKey INTEGER NOT NULL, body TEXT NOT NULL)"),
    QStringLiteral("CREATE TABLE meta(name TEXT PRIMARY KEY, value INTEGER NOT NULL)"),
    QStringLiteral("PRAGMA user_version = 1"),
};

} // namespace

Store::Store(QObject *parent) : QObject(parent), m_connection(newConnectionName()) {}

Store::~Store()
{
    m_checkpointer.reset();
    if (m_db.isOpen()) {
        if (m_depth > 0)
            m_db.commit();
        m_db.close();
    }
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

Store::Problem Store::open(const QString &path)
{
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    Problem problem = Problem::None;
    if (!path.isEmpty()) {
        const QString folder = QFileInfo(path).absolutePath();
        if (QDir().mkpath(folder))
            QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        if (!QFileInfo::exists(path)) {
            // Made here so that it (and the log beside it) is the user's alone.
            QFile made(path);
            if (made.open(QIODevice::WriteOnly))
                made.setPermissions(QFile::ReadOwner | QFile::WriteOwner);
        }
        m_db.setDatabaseName(path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        if (!QFileInfo(path).isFile() || !m_db.open()) {
            problem = Problem::CannotOpen;
        } else {
            problem = check();
        }
        if (problem == Problem::None) {
            m_path = path;
            m_kept = true;
            m_checkpointer = std::make_unique<Checkpointer>(path);
            emit opened();
            return problem;
        }
        m_db.close();
    }
    // In memory: this run still receives and keeps its history until it ends.
    m_db.setDatabaseName(QStringLiteral(":memory:"));
    m_db.open();
    createOrCheck();
    emit opened();
    return problem;
}

Store::Problem Store::check()
{
    int version = 0;
    int tables = 0;
    {
        QSqlQuery q(m_db);
        if (!q.exec(QStringLiteral("SELECT (SELECT user_version FROM pragma_user_version()),"
                                   " (SELECT count(*) FROM sqlite_master)")) ||
            !q.next())
            return Problem::Damaged; // not a database at all
        version = q.value(0).toInt();
        tables = q.value(1).toInt();
    } // the read ends here: the log mode cannot change inside one
    if (version > Version)
        return Problem::Newer;
    // Nothing is written to a database that is not ours, or not whole.
    if ((version == 0 && tables > 0) || (version == Version && !readState()))
        return Problem::Damaged;
    if (!execAll({QStringLiteral("PRAGMA journal_mode = WAL"),
                  QStringLiteral("PRAGMA synchronous = NORMAL"),
                  // Commits never copy the log into the database themselves:
                  // the checkpointer does, off the window thread.
                  QStringLiteral("PRAGMA wal_autocheckpoint = 0")}) ||
        !createOrCheck())
        return Problem::Damaged;
    return Problem::None;
}

bool Store::execAll(const QStringList &statements)
{
    for (const QString &s : statements) {
        QSqlQuery q(m_db);
        if (!q.exec(s)) {
            qWarning("portana: store: %s: %s", qPrintable(s), qPrintable(q.lastError().text()));
            return false;
        }
    }
    return true;
}

bool Store::createOrCheck()
{
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return false;
    const bool fresh = q.value(0).toInt() == 0;
    q.finish();
    if (fresh) {
        m_db.transaction();
        if (!execAll(Schema)) {
            m_db.rollback();
            return false;
        }
        if (!m_db.commit())
            return false;
    }
    return readState();
}

bool Store::readState()
{
    QSqlQuery q(m_db);
    // Every table must read; a page that does not shows here, not at the first arrival.
    if (!q.exec(QStringLiteral("SELECT (SELECT max(key) FROM history),"
                               " (SELECT value FROM meta WHERE name = 'keyFloor'),"
                               " (SELECT count(*) FROM runs), (SELECT count(*) FROM inbox)")) ||
        !q.next())
        return false;
    m_nextKey = std::max(q.value(0).toLongLong() + 1, q.value(1).toLongLong());
    return true;
}

void Store::begin()
{
    if (m_depth++ == 0) {
        m_failed = false;
        m_db.transaction();
    }
}

bool Store::end()
{
    if (m_depth == 0 || --m_depth > 0)
        return true;
    if (!m_failed && m_db.commit()) {
        if (m_checkpointer)
            m_checkpointer->committed();
        return true;
    }
    qWarning("portana: store: not committed: %s", qPrintable(m_db.lastError().text()));
    m_db.rollback();
    m_failed = false;
    readState(); // keys handed out in the failed transaction are free again
    emit rolledBack();
    return false;
}

void Store::failed(const QString &what)
{
    qWarning("portana: store: %s", qPrintable(what));
    m_failed = true;
}

bool Store::overLimit() const
{
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("SELECT (page_count - freelist_count) * page_size"
                               " FROM pragma_page_count(), pragma_freelist_count(),"
                               " pragma_page_size()")) ||
        !q.next())
        return false;
    return q.value(0).toLongLong() > m_sizeLimit;
}

qint64 Store::takeKeys(qint64 count)
{
    const qint64 first = m_nextKey;
    m_nextKey += count;
    return first;
}

void Store::releaseKey(qint64 key)
{
    if (key == m_nextKey - 1)
        --m_nextKey;
}

qint64 Store::meta(const QString &name, qint64 otherwise) const
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("SELECT value FROM meta WHERE name = ?"));
    q.addBindValue(name);
    return q.exec() && q.next() ? q.value(0).toLongLong() : otherwise;
}

void Store::setMeta(const QString &name, qint64 value)
{
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO meta(name, value) VALUES(?, ?)"));
    q.addBindValue(name);
    q.addBindValue(value);
    if (!q.exec())
        failed(QStringLiteral("meta: ") + q.lastError().text());
}
