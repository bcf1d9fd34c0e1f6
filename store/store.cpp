#include "store.h"

#include "storeworker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>

#include <atomic>

namespace {

QString newConnectionName()
{
    static std::atomic<int> counter{0};
    return QStringLiteral("portana-store-%1").arg(++counter);
}

// Each rung brings the layout from version n to n + 1, in one transaction;
// a new version adds a rung and never changes one that was released.
const std::vector<QStringList> Ladder = {
    // 0 → 1. Row text is kept as the list shows it; the body goes last so
    // that reading the other columns never touches its pages.
    {
        QStringLiteral("CREATE TABLE history(key INTEGER PRIMARY KEY, date TEXT NOT NULL,"
                       " sender TEXT NOT NULL, recipient TEXT NOT NULL, sendTime TEXT NOT NULL,"
                       " receiveTime TEXT NOT NULL, received INTEGER NOT NULL, sentNo INTEGER,"
                       " message TEXT NOT NULL)"),
        // A peer's answer names the newest row sent with its number.
        QStringLiteral(
            "CREATE INDEX history_sent ON history(sentNo, key) WHERE sentNo IS NOT NULL"),
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
    },
    // 1 → 2. The search's index: every character and pair of characters of
    // a row's texts (see findterms), without the texts. A commit never
    // merges the index's segments itself: the store's worker does, off the
    // window thread. Keys whose rows have no terms yet: the rows there are
    // now, and a file's rows while they load (ready 0) and until the
    // worker has given them theirs.
    {
        QStringLiteral("CREATE VIRTUAL TABLE history_find USING fts5(terms, content='',"
                       " detail='none', columnsize=0, tokenize='ascii')"),
        QStringLiteral("INSERT INTO history_find(history_find, rank) VALUES('automerge', 0)"),
        // Nor all at once when segments pile up: the merging keeps up in steps.
        QStringLiteral("INSERT INTO history_find(history_find, rank) VALUES('crisismerge', 64)"),
        QStringLiteral("CREATE TABLE find_pending(first INTEGER PRIMARY KEY, last INTEGER NOT NULL,"
                       " ready INTEGER NOT NULL)"),
        QStringLiteral("INSERT INTO find_pending(first, last, ready)"
                       " SELECT min(key), max(key), 1 FROM history HAVING count(*) > 0"),
    },
};
static_assert(Store::Version == 2, "a new version adds its rung to the ladder");

const auto OwnerFile = QFile::ReadOwner | QFile::WriteOwner;
const auto OwnerFolder = QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner;

// What the pages of a small store need: the history window's pages are
// read a handful at a time, so a big cache would only hold memory.
const QString CacheSize = QStringLiteral("PRAGMA cache_size = -256");

} // namespace

Store::Store(QObject *parent) : QObject(parent), m_connection(newConnectionName()) {}

Store::~Store()
{
    close();
}

void Store::close()
{
    emit closing();
    m_worker.reset();
    if (m_db.isOpen()) {
        // What a batch left open when the program ends was never acknowledged.
        if (m_depth > 0)
            m_db.rollback();
        m_db.close();
    }
    if (std::exchange(m_locked, false))
        m_lock->unlockForeground();
    m_depth = 0;
    m_failed = false;
    m_afterCommit.clear();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connection);
}

Store::Problem Store::open(const QString &path)
{
    close();
    m_path.clear();
    m_identity.reset();
    m_logIdentity.reset();
    m_indexIdentity.reset();
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
    m_lock = WriteLock::of(path);
    if (path.isEmpty()) {
        openInMemory();
        return Problem::None;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (QDir().mkpath(folder))
        QFile::setPermissions(folder, OwnerFolder);
    if (!QFileInfo::exists(path)) {
        // Made here so that it (and the log beside it) is the user's alone.
        QFile made(path);
        if (made.open(QIODevice::WriteOnly))
            made.setPermissions(OwnerFile);
    }
    Problem problem = Problem::None;
    if (!QFileInfo(path).isFile())
        problem = Problem::CannotOpen;
    else if (!QFileInfo(path).isWritable() || !QFileInfo(folder).isWritable())
        problem = Problem::ReadOnly;
    else
        problem = peek(path);
    if (problem == Problem::None) {
        m_db.setDatabaseName(path);
        m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=5000"));
        problem = m_db.open() ? check() : Problem::CannotOpen;
    }
    if (problem == Problem::None) {
        QFile::setPermissions(path, OwnerFile);
        m_path = path;
        m_identity = FileIdentity::of(path);
        startWorker();
        emit opened();
        return problem;
    }
    m_db.close();
    openInMemory();
    return problem;
}

void Store::startWorker()
{
    if (m_path.isEmpty())
        m_worker = std::make_unique<StoreWorker>(m_db, *m_lock);
    else
        m_worker =
            std::make_unique<StoreWorker>(m_path, m_identity.value_or(FileIdentity{}), *m_lock);
    connect(m_worker.get(), &StoreWorker::indexing, this, &Store::indexing);
    connect(m_worker.get(), &StoreWorker::swept, this, &Store::swept);
}

void Store::indexLater()
{
    if (m_worker)
        m_worker->index();
}

void Store::markSweep()
{
    // A new mark each time: a sweep that ends clears only the mark it began with.
    setMeta(QStringLiteral("sweep"), meta(QStringLiteral("sweep")) + 1);
}

void Store::sweepLater(qint64 loadFirst, qint64 loadEnd)
{
    if (m_worker)
        m_worker->sweep(loadFirst, loadEnd);
}

void Store::setLoad(qint64 first, qint64 end)
{
    if (m_worker)
        m_worker->setLoad(first, end);
}

void Store::openInMemory()
{
    // This run still receives and keeps its history until it ends.
    m_lock = WriteLock::of({});
    m_db.setDatabaseName(QStringLiteral(":memory:"));
    m_db.open();
    execAll({CacheSize});
    climb(0);
    readState();
    startWorker();
    emit opened();
}

Store::Problem Store::peek(const QString &path)
{
    const QString name = m_connection + QStringLiteral("-peek");
    Problem problem = Problem::None;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        // Read-only, nothing is written to it or its log. Without a log the
        // file alone is read (immutable: no index is made either); with one,
        // the log is read too, as it may say another version (a newer
        // program that upgraded it and has not folded its log in yet).
        QUrl uri = QUrl::fromLocalFile(path);
        uri.setQuery(QFileInfo(path + QStringLiteral("-wal")).size() > 0
                         ? QStringLiteral("mode=ro")
                         : QStringLiteral("immutable=1"));
        db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
        db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY;QSQLITE_OPEN_URI"));
        if (!db.open()) {
            problem = Problem::CannotOpen;
        } else {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("SELECT (SELECT user_version FROM pragma_user_version()),"
                                       " (SELECT count(*) FROM sqlite_master)")) ||
                !q.next())
                problem = Problem::Damaged; // not a database at all
            else if (q.value(0).toInt() > Version)
                problem = Problem::Newer;
            else if (q.value(0).toInt() == 0 && q.value(1).toInt() > 0)
                problem = Problem::Damaged; // another program's
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
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
            return Problem::Damaged;
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
                  // the store's worker does, off the window thread.
                  QStringLiteral("PRAGMA wal_autocheckpoint = 0"), CacheSize}) ||
        !climb(version) || !readState())
        return Problem::Damaged;
    // A store that cannot be written cannot keep what is acknowledged.
    m_db.transaction();
    setMeta(QStringLiteral("opened"), 1);
    if (m_failed || !m_db.commit()) {
        m_db.rollback();
        m_failed = false;
        return Problem::ReadOnly;
    }
    return Problem::None;
}

bool Store::climb(int from)
{
    for (int v = from; v < Version; ++v) {
        QStringList steps = Ladder[size_t(v)];
        steps << QStringLiteral("PRAGMA user_version = %1").arg(v + 1);
        if (!m_db.transaction())
            return false;
        if (!execAll(steps) || !m_db.commit()) {
            m_db.rollback();
            return false;
        }
    }
    return true;
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

bool Store::stillOurs() const
{
    return !m_identity || FileIdentity::of(m_path) == m_identity;
}

void Store::begin()
{
    if (m_depth++ > 0)
        return;
    // Gone since the last batch: this one goes to the file now at the path.
    if (!stillOurs()) {
        m_depth = 0;
        reopen();
        m_depth = 1;
    }
    m_failed = false;
    emit began();
    // Without a transaction every statement would be kept on its own. It
    // takes SQLite's lock at once: the worker writes between two batches,
    // and a batch that began reading an older state could not write at
    // all. The write lock comes first, so SQLite's is free by then (a step
    // under way ends as soon as it sees this batch wait).
    m_lock->lockForeground();
    m_locked = true;
    QSqlQuery q(m_db);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        failed(QStringLiteral("begin: ") + q.lastError().text());
}

bool Store::end()
{
    if (m_depth == 0 || --m_depth > 0)
        return true;
    const bool ours = stillOurs();
    if (!m_failed && ours && m_db.commit()) {
        if (std::exchange(m_locked, false))
            m_lock->unlockForeground();
        if (!m_path.isEmpty()) {
            if (!m_logIdentity)
                m_logIdentity = FileIdentity::of(m_path + QStringLiteral("-wal"));
            if (!m_indexIdentity)
                m_indexIdentity = FileIdentity::of(m_path + QStringLiteral("-shm"));
        }
        if (m_worker)
            m_worker->committed();
        emit committed();
        for (const auto &f : std::exchange(m_afterCommit, {}))
            f();
        return true;
    }
    if (ours)
        qWarning("portana: store: not committed: %s", qPrintable(m_db.lastError().text()));
    // SQLite may have undone the transaction already; then this does nothing.
    m_db.rollback();
    if (std::exchange(m_locked, false))
        m_lock->unlockForeground();
    m_failed = false;
    m_afterCommit.clear();
    readState(); // keys handed out in the failed batch are free again
    emit rolledBack();
    if (ours)
        emit writeFailed();
    else
        reopen();
    return false;
}

void Store::reopen()
{
    qWarning("portana: store: %s was deleted or replaced", qPrintable(m_path));
    const QString path = m_path;
    m_worker.reset();
    // SQLite leaves the log of a moved file where it is; the file now at
    // the path would take it for its own.
    const auto removeOurs = [&path](const QString &suffix,
                                    const std::optional<FileIdentity> &ours) {
        if (ours && FileIdentity::of(path + suffix) == ours)
            QFile::remove(path + suffix);
    };
    removeOurs(QStringLiteral("-wal"), m_logIdentity);
    removeOurs(QStringLiteral("-shm"), m_indexIdentity);
    if (!QFileInfo::exists(path)) {
        // Nobody else put a file there: what this one held goes there anew.
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile made(path);
        if (made.open(QIODevice::WriteOnly)) {
            made.setPermissions(OwnerFile);
            made.close();
            QSqlQuery q(m_db);
            q.prepare(QStringLiteral("VACUUM INTO ?"));
            q.addBindValue(path);
            if (!q.exec()) {
                qWarning("portana: store: not rescued: %s", qPrintable(q.lastError().text()));
                QFile::remove(path);
            }
        }
    }
    const Problem problem = open(path);
    emit fileLost(problem);
}

void Store::afterCommit(std::function<void()> f)
{
    if (m_depth > 0)
        m_afterCommit.push_back(std::move(f));
    else
        f();
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
    if (m_failed)
        return;
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO meta(name, value) VALUES(?, ?)"));
    q.addBindValue(name);
    q.addBindValue(value);
    if (!q.exec())
        failed(QStringLiteral("meta: ") + q.lastError().text());
}
