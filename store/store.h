#pragma once

#include "fileidentity.h"
#include "writelock.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

// The database the history and the waiting messages live in: SQLite, with a
// write-ahead log, so a commit survives a crash of the program and, within a
// second, a cut of power.
//
// Every write is part of a batch, between begin() and end(). A batch has
// one fate: the first statement that fails ends it (nothing more is
// written), and end() undoes all of it. Memory follows the store: a model
// changes what it shows at committed(), and goes back to what it held at
// began() on rolledBack().
class StoreWorker;

class Store : public QObject
{
    Q_OBJECT
public:
    enum class Problem { None, CannotOpen, Damaged, Newer, ReadOnly };
    static constexpr int Version = 2;
    // Above this size on disk new messages are refused.
    static constexpr qint64 SizeLimit = qint64(2) << 30;

    explicit Store(QObject *parent = nullptr);
    ~Store() override;

    // path empty: kept in memory only. A database that cannot be opened or
    // written, is damaged, is not ours or is of a newer version is left as
    // it is, its log too; the store then keeps nothing beyond this run (and
    // says which problem it met).
    Problem open(const QString &path);
    QString path() const { return m_path; }
    // Of the file open at path (none in memory).
    std::optional<FileIdentity> identity() const { return m_identity; }
    QSqlDatabase db() const { return m_db; }

    // Nested: the outermost end() commits; false when the batch is not kept
    // and everything since the outermost begin() was undone.
    void begin();
    bool end();
    bool inBatch() const { return m_depth > 0; }
    // A statement failed: the batch it was in is to be undone.
    void failed(const QString &what);
    // A statement of the open batch failed: no more are run.
    bool failing() const { return m_failed; }
    // Runs once the open batch is committed (at once outside a batch);
    // dropped when it is not.
    void afterCommit(std::function<void()> f);

    // The rows and entries take more than the limit (free pages left by
    // 履歴ｸﾘｱ do not count).
    bool overLimit() const;
    void setSizeLimit(qint64 bytes) { m_sizeLimit = bytes; }

    // The next free key for a history row; never one used since the last clear.
    qint64 takeKeys(qint64 count);
    void releaseKey(qint64 key);
    qint64 peekKey() const { return m_nextKey; }

    // A null text would be stored as NULL; every text column holds text.
    static QString text(const QString &s) { return s.isNull() ? QStringLiteral("") : s; }

    // The work that can wait (see StoreWorker): rows were set aside for
    // their terms; rows may no longer be listed (markSweep() in the batch
    // that unlisted them), keys first..end-1 excepted, which a load holds.
    void indexLater();
    void markSweep();
    void sweepLater(qint64 loadFirst, qint64 loadEnd);
    void setLoad(qint64 first, qint64 end);

    // Small numbers kept beside the tables (within the open transaction).
    qint64 meta(const QString &name, qint64 otherwise = 0) const;
    void setMeta(const QString &name, qint64 value);

signals:
    // open() is done: the tables can be read.
    void opened();
    // The connection goes: statements prepared on it go first.
    void closing();
    // The outermost begin(): what memory holds now is what the store holds.
    void began();
    // The batch is kept: memory may show it.
    void committed();
    // It is not: memory goes back to what it held at began().
    void rolledBack();
    // A batch could not be kept (the disk, not the file's fate).
    void writeFailed();
    // The file was deleted or replaced under the program: a store was
    // opened at the path again (problem: how that went); read everything back.
    void fileLost(Store::Problem problem);
    // The rows of an older version get their terms for the search, off the
    // window thread: done of total so far (done == total: all are found).
    void indexing(qint64 done, qint64 total);
    // The rows no run lists are gone from the file.
    void swept();

private:
    void close();
    void openInMemory();
    // The main file alone, read-only, without its log: nothing is written
    // before the file is known as ours.
    Problem peek(const QString &path);
    Problem check();
    // Brings an older layout up to Version, a step a transaction.
    bool climb(int from);
    // The next key, read from the tables; false when they do not read.
    bool readState();
    bool execAll(const QStringList &statements);
    // The path still names the file that is open.
    bool stillOurs() const;
    // After a batch found the file gone: what it held is written anew at
    // the path when nothing is there, and the store opens the path again.
    void reopen();

    QSqlDatabase m_db;
    QString m_connection;
    QString m_path;
    std::optional<FileIdentity> m_identity; // of the open file
    // Of its log and the log's index, once they exist: those at the path are
    // removed with a lost file only while they are still these.
    std::optional<FileIdentity> m_logIdentity;
    std::optional<FileIdentity> m_indexIdentity;
    void startWorker();

    int m_depth = 0;
    bool m_locked = false; // the window thread holds the write lock
    bool m_failed = false;
    std::vector<std::function<void()>> m_afterCommit;
    qint64 m_nextKey = 1;
    qint64 m_sizeLimit = SizeLimit;
    // Between the batches and the worker's steps (of every store on the file).
    std::shared_ptr<WriteLock> m_lock = WriteLock::of({});
    std::unique_ptr<StoreWorker> m_worker;
};
