#pragma once

#include "fileidentity.h"

#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <initializer_list>
#include <memory>
#include <mutex>

class FindIndex;
class QThread;
class WriteLock;

// What the store does that can wait, in this order: folding the log into
// the file (at most once a second after a commit, so a cut of power loses
// at most that second), giving rows their terms, deleting the rows no run
// lists any more (after 履歴ｸﾘｱ, 読込, keeping, a load that failed), and
// merging the index's segments. It goes a small step at a time: a step
// reads and computes first, then holds the write lock for about StepMsecs
// of work at most, and less when a batch of the window thread waits. On
// disk the steps run on a thread and connection of their own; in memory,
// on the window thread between events, on the store's own connection.
class StoreWorker : public QObject
{
    Q_OBJECT
public:
    static constexpr int StepMsecs = 10;

    // On disk: the file at path, for as long as it is the one identity names.
    StoreWorker(const QString &path, FileIdentity identity, WriteLock &lock);
    // In memory: on db.
    StoreWorker(QSqlDatabase db, WriteLock &lock);
    ~StoreWorker() override;

    // A batch was kept: the log is folded in soon, the index merged.
    void committed();
    // Rows may wait for their terms.
    void index();
    // There may be rows no run lists. Keys first..end-1 belong to the file
    // that loads now (end 0: none) and stay.
    void sweep(qint64 loadFirst, qint64 loadEnd);
    void setLoad(qint64 first, qint64 end);

signals:
    // Emitted on the worker's thread; heard on the window thread.
    // done of total keys have their terms (done == total: all are found).
    void indexing(qint64 done, qint64 total);
    // The rows no run lists are gone from the store.
    void swept();

private:
    enum class Work { None, Checkpoint, Index, Sweep, Merge };
    // Done: nothing left of it; More: step again; Later: it failed, tried
    // again in a second; Busy: the lock was not free, tried again shortly.
    enum class Result { Done, More, Later, Busy };

    void run();
    // What is due now; None: nothing (wait says how long until something is).
    Work due(std::chrono::steady_clock::time_point now, std::chrono::steady_clock::duration *wait);
    // One step of work on db; its result decides when the next comes.
    Result step(Work work, QSqlDatabase &db, FindIndex &find);
    void stepped(Work work, Result result);
    Result checkpoint(QSqlDatabase &db);
    Result indexStep(QSqlDatabase &db, FindIndex &find);
    Result sweepStep(QSqlDatabase &db, FindIndex &find);
    Result mergeStep(QSqlDatabase &db, FindIndex &find);
    // The write lock and a write transaction; false: not now.
    bool lock(QSqlDatabase &db);
    bool commit(QSqlDatabase &db, bool ok, const char *what);
    Result notLocked() const;
    // Whether a step that holds the lock should end after what it did.
    bool enough(qint64 msecsHeld);
    // In memory: the next step on the window thread.
    void stepHere();
    void wake();

    const QString m_path;
    const FileIdentity m_identity;
    const bool m_onDisk;
    WriteLock &m_lock;
    QSqlDatabase m_memoryDb;
    QThread *m_thread = nullptr;
    QTimer m_timer; // in memory
    std::unique_ptr<FindIndex> m_memoryFind;
    bool m_busy = false; // the last lock() found SQLite's lock taken

    // Each kind of work is asked for and answered: a step that finds
    // nothing to do answers what was asked when it began, so a request
    // made while it ran is not lost.
    struct Asked
    {
        unsigned asked = 0;
        unsigned answered = 0;
        unsigned taken = 0; // asked, when the step under way began
        bool due() const { return asked != answered; }
    };
    Asked &of(Work work);
    void ask(std::initializer_list<Asked *> work);
    // A step added segments: a merge comes next.
    void mergeNext();

    std::mutex m_mutex; // what follows
    std::condition_variable m_changed;
    std::atomic<bool> m_stop{false};
    Asked m_checkpoint; // the log holds commits not folded in yet
    Asked m_index{1, 0, 0};
    Asked m_sweep{1, 0, 0};
    Asked m_merge;
    bool m_mergeNext = false;
    std::chrono::steady_clock::time_point m_checkpointAt{};
    std::chrono::steady_clock::time_point m_laterAt{}; // after a step that could not be done
    qint64 m_loadFirst = 0;
    qint64 m_loadEnd = 0;

    // Of the worker alone.
    qint64 m_indexTotal = -1;
    qint64 m_indexDone = 0;
};
