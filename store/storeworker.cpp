#include "storeworker.h"

#include "asideconnection.h"
#include "findindex.h"
#include "findterms.h"
#include "writelock.h"

#include <QElapsedTimer>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <algorithm>
#include <limits>
#include <vector>

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

namespace {

// Rows read ahead of a step at most; the time bounds it first, and the
// terms it writes (what the commit then writes out: a pasted log of
// 32,000 kanji has some 30,000 terms).
constexpr int ReadRows = 512;
constexpr qsizetype StepTermChars = 64 * 1024;
// Pages of the index's segments merged a statement.
constexpr int MergePages = 16;
constexpr auto CheckpointGap = 1s;
constexpr auto LaterGap = 1s;
constexpr auto BusyGap = 20ms;

using Ranges = std::vector<std::pair<qint64, qint64>>;

bool holds(const Ranges &rs, qint64 key)
{
    return std::any_of(rs.begin(), rs.end(),
                       [key](const auto &r) { return key >= r.first && key <= r.second; });
}

// A row a step is to write for, with what was read of it before the lock.
struct Candidate
{
    qint64 key = 0;
    QString sender;
    QString recipient;
    QString message;
    QString terms; // empty: the row has none to take out
};

// What a step reads before it locks, as far as its bounds allow.
struct Reading
{
    std::vector<Candidate> rows;
    QElapsedTimer spent;
    qsizetype termChars = 0;

    Reading() { spent.start(); }
    // The row q stands on (key, sender, recipient, message), with its terms
    // worked out when it has some; false when the step has enough.
    bool take(const QSqlQuery &q, bool withTerms)
    {
        Candidate c{q.value(0).toLongLong(),
                    q.value(1).toString(),
                    q.value(2).toString(),
                    q.value(3).toString(),
                    {}};
        if (withTerms)
            c.terms = findterms::terms(c.sender, c.recipient, c.message);
        termChars += c.terms.size();
        rows.push_back(std::move(c));
        return spent.elapsed() < StoreWorker::StepMsecs && rows.size() < size_t(ReadRows) &&
               termChars < StepTermChars;
    }
};

} // namespace

StoreWorker::StoreWorker(const QString &path, FileIdentity identity, WriteLock &lock)
    : m_path(path), m_identity(identity), m_onDisk(true), m_lock(lock)
{
    m_thread = QThread::create([this] { run(); });
    m_thread->start(QThread::LowPriority);
}

StoreWorker::StoreWorker(QSqlDatabase db, WriteLock &lock)
    : m_onDisk(false), m_lock(lock), m_memoryDb(std::move(db)),
      m_memoryFind(std::make_unique<FindIndex>(m_memoryDb))
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &StoreWorker::stepHere);
    m_timer.start(0);
}

StoreWorker::~StoreWorker()
{
    if (!m_thread)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_lock.wake();
    m_thread->wait();
    delete m_thread;
}

StoreWorker::Asked &StoreWorker::of(Work work)
{
    switch (work) {
    case Work::Checkpoint:
        return m_checkpoint;
    case Work::Index:
        return m_index;
    case Work::Sweep:
        return m_sweep;
    case Work::Merge:
    case Work::None:
        break;
    }
    return m_merge;
}

void StoreWorker::wake()
{
    if (m_onDisk)
        m_changed.notify_all();
    else if (!m_timer.isActive())
        m_timer.start(0);
}

void StoreWorker::ask(std::initializer_list<Asked *> work)
{
    {
        std::lock_guard lock(m_mutex);
        for (Asked *a : work)
            ++a->asked;
    }
    wake();
}

void StoreWorker::committed()
{
    ask({&m_checkpoint, &m_merge});
}

void StoreWorker::index()
{
    ask({&m_index});
}

void StoreWorker::sweep(qint64 loadFirst, qint64 loadEnd)
{
    setLoad(loadFirst, loadEnd);
    ask({&m_sweep});
}

void StoreWorker::setLoad(qint64 first, qint64 end)
{
    std::lock_guard lock(m_mutex);
    m_loadFirst = first;
    m_loadEnd = end;
}

StoreWorker::Work StoreWorker::due(Clock::time_point now, Clock::duration *wait)
{
    *wait = Clock::duration::max();
    if (m_stop)
        return Work::None;
    if (now < m_laterAt) {
        *wait = m_laterAt - now;
        return Work::None;
    }
    Work work = Work::None;
    if (m_onDisk && m_checkpoint.due() && now >= m_checkpointAt)
        work = Work::Checkpoint;
    else if (std::exchange(m_mergeNext, false) && m_merge.due())
        work = Work::Merge; // the segments a step added, before they pile up
    else if (m_index.due())
        work = Work::Index;
    else if (m_sweep.due())
        work = Work::Sweep;
    else if (m_merge.due())
        work = Work::Merge;
    else if (m_onDisk && m_checkpoint.due())
        *wait = m_checkpointAt - now;
    if (work != Work::None)
        of(work).taken = of(work).asked;
    return work;
}

void StoreWorker::stepped(Work work, Result result)
{
    const auto now = Clock::now();
    Asked &a = of(work);
    if (result == Result::Done)
        a.answered = a.taken;
    if (result == Result::Later)
        m_laterAt = now + LaterGap;
    if (result == Result::Busy)
        m_laterAt = now + BusyGap;
    if (work == Work::Checkpoint)
        m_checkpointAt = now + CheckpointGap;
}

void StoreWorker::run()
{
    // No wait of SQLite's own for the lock: the write lock decides who writes.
    AsideConnection aside("worker", m_path, m_identity, 0, 2048);
    {
        FindIndex find(aside.db());
        std::unique_lock lock(m_mutex);
        while (!m_stop) {
            Clock::duration wait;
            const Work work = due(Clock::now(), &wait);
            if (work == Work::None) {
                if (wait == Clock::duration::max())
                    m_changed.wait(lock);
                else
                    m_changed.wait_for(lock, wait);
                continue;
            }
            lock.unlock();
            // Another file at the path: nothing of it is touched.
            const Result result = aside.ours() ? step(work, aside.db(), find) : Result::Done;
            lock.lock();
            stepped(work, result);
        }
    }
}

void StoreWorker::stepHere()
{
    std::unique_lock lock(m_mutex);
    Clock::duration wait;
    const Work work = due(Clock::now(), &wait);
    lock.unlock();
    if (work == Work::None) {
        if (wait != Clock::duration::max())
            m_timer.start(std::chrono::ceil<std::chrono::milliseconds>(wait));
        return;
    }
    const Result result = step(work, m_memoryDb, *m_memoryFind);
    lock.lock();
    stepped(work, result);
    lock.unlock();
    m_timer.start(0); // or when what is due allows (see due)
}

StoreWorker::Result StoreWorker::step(Work work, QSqlDatabase &db, FindIndex &find)
{
    switch (work) {
    case Work::Checkpoint:
        return checkpoint(db);
    case Work::Index:
        return indexStep(db, find);
    case Work::Sweep:
        return sweepStep(db, find);
    case Work::Merge:
        return mergeStep(db, find);
    case Work::None:
        break;
    }
    return Result::Done;
}

bool StoreWorker::lock(QSqlDatabase &db)
{
    if (m_onDisk ? !m_lock.lockBackground(m_stop) : !m_lock.tryLockBackground())
        return false;
    // A log is written only for the file it belongs to.
    QSqlQuery q(db);
    m_busy = false;
    if ((m_onDisk && FileIdentity::of(m_path) != m_identity) ||
        !q.exec(QStringLiteral("BEGIN IMMEDIATE"))) {
        // SQLITE_BUSY, SQLITE_LOCKED: another program (or connection) writes.
        const QString code = q.lastError().nativeErrorCode();
        m_busy = code == QLatin1String("5") || code == QLatin1String("6");
        m_lock.unlockBackground();
        return false;
    }
    return true;
}

bool StoreWorker::commit(QSqlDatabase &db, bool ok, const char *what)
{
    QSqlQuery q(db);
    if (ok && q.exec(QStringLiteral("COMMIT"))) {
        m_lock.unlockBackground();
        std::lock_guard lock(m_mutex);
        ++m_checkpoint.asked;
        return true;
    }
    qWarning("portana: store: %s: %s", what, qPrintable(q.lastError().text()));
    QSqlQuery(db).exec(QStringLiteral("ROLLBACK"));
    m_lock.unlockBackground();
    return false;
}

StoreWorker::Result StoreWorker::notLocked() const
{
    if (m_stop)
        return Result::Done;
    // In memory a batch is open (a step on the window thread came between
    // its begin and end); on disk another connection writes. Else the file
    // refused: a second later.
    return !m_onDisk || m_busy ? Result::Busy : Result::Later;
}

bool StoreWorker::enough(qint64 msecsHeld)
{
    return msecsHeld >= StepMsecs || m_lock.foregroundWaiting();
}

StoreWorker::Result StoreWorker::checkpoint(QSqlDatabase &db)
{
    if (FileIdentity::of(m_path) != m_identity)
        return Result::Done;
    QSqlQuery q(db);
    // Passive: it copies what no reader still needs and never blocks a writer.
    if (!q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)")) || !q.next()) {
        qWarning("portana: store: checkpoint: %s", qPrintable(q.lastError().text()));
        return Result::Later;
    }
    return q.value(0).toInt() == 0 ? Result::Done : Result::Later;
}

StoreWorker::Result StoreWorker::indexStep(QSqlDatabase &db, FindIndex &find)
{
    qint64 left = 0;
    const std::optional<FindIndex::Range> range = find.firstReady(&left);
    if (!range) {
        if (m_indexTotal > 0)
            emit indexing(m_indexTotal, m_indexTotal);
        m_indexTotal = -1;
        m_indexDone = 0;
        return Result::Done;
    }
    m_indexTotal = std::max(m_indexTotal, m_indexDone + left); // a file read in meanwhile

    // The terms are worked out before the lock: they are most of the work.
    Reading reading;
    std::vector<Candidate> &rows = reading.rows;
    qint64 through = range->last;
    {
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT key, sender, recipient, message FROM history"
                                 " WHERE key BETWEEN ? AND ? ORDER BY key LIMIT ?"));
        q.addBindValue(range->first);
        q.addBindValue(range->last);
        q.addBindValue(ReadRows);
        if (!q.exec())
            return Result::Later;
        bool whole = true;
        while (q.next()) {
            if (!reading.take(q, true)) {
                whole = false;
                break;
            }
        }
        if (!whole)
            through = rows.back().key;
    }

    if (!lock(db))
        return notLocked();
    QElapsedTimer held;
    held.start();
    // The range may have gone meanwhile (履歴ｸﾘｱ with a load under way).
    const std::optional<FindIndex::Range> still = find.firstReady();
    if (!still || still->first != range->first || still->last != range->last)
        return commit(db, true, "index") ? Result::More : Result::Later;
    QSqlQuery current(db);
    current.prepare(QStringLiteral("SELECT recipient FROM history WHERE key = ?"));
    bool ok = true;
    qint64 done = range->first - 1;
    for (Candidate &c : rows) {
        if (done >= range->first && enough(held.elapsed())) {
            through = done;
            break;
        }
        current.addBindValue(c.key);
        if (!(ok = current.exec()))
            break;
        if (current.next()) {
            // Opened meanwhile: its recipient is another now.
            if (const QString now = current.value(0).toString(); now != c.recipient)
                c.terms = findterms::terms(c.sender, now, c.message);
            current.finish();
            if (!(ok = find.add(c.key, c.terms)))
                break;
        }
        done = c.key;
    }
    ok = ok && find.donePending(*range, through);
    if (!commit(db, ok, "index"))
        return Result::Later;
    m_indexDone += through - range->first + 1;
    emit indexing(std::min(m_indexDone, m_indexTotal), m_indexTotal);
    mergeNext();
    return Result::More;
}

StoreWorker::Result StoreWorker::sweepStep(QSqlDatabase &db, FindIndex &find)
{
    const auto sweepMark = [&db]() -> std::optional<qint64> {
        QSqlQuery q(db);
        if (!q.exec(QStringLiteral("SELECT value FROM meta WHERE name = 'sweep'")))
            return std::nullopt;
        return q.next() ? q.value(0).toLongLong() : 0;
    };
    // What stays: every run, and the keys of the file that loads now.
    const auto keep = [this, &db](qint64 *loadFirst) {
        Ranges out;
        QSqlQuery q(db);
        if (q.exec(QStringLiteral("SELECT first, first + count - 1 FROM runs WHERE count > 0")))
            while (q.next())
                out.emplace_back(q.value(0).toLongLong(), q.value(1).toLongLong());
        std::lock_guard lock(m_mutex);
        if (m_loadEnd > m_loadFirst)
            out.emplace_back(m_loadFirst, m_loadEnd - 1);
        *loadFirst = m_loadFirst;
        std::sort(out.begin(), out.end());
        return out;
    };

    const std::optional<qint64> mark = sweepMark();
    if (!mark)
        return Result::Later;
    if (*mark == 0)
        return Result::Done;
    qint64 loadFirst = 0;
    Reading reading;
    std::vector<Candidate> &rows = reading.rows;
    bool whole = true; // every row to delete is among rows
    {
        const Ranges kept = keep(&loadFirst);
        const FindIndex::Pending pending = find.pending();
        QSqlQuery q(db);
        q.setForwardOnly(true);
        q.prepare(QStringLiteral("SELECT key, sender, recipient, message FROM history"
                                 " WHERE key BETWEEN ? AND ? ORDER BY key LIMIT ?"));
        qint64 from = std::numeric_limits<qint64>::min();
        for (size_t i = 0; i <= kept.size() && whole; ++i) {
            const qint64 to =
                i < kept.size() ? kept[i].first - 1 : std::numeric_limits<qint64>::max();
            if (to >= from) {
                q.addBindValue(from);
                q.addBindValue(to);
                q.addBindValue(ReadRows);
                if (!q.exec())
                    return Result::Later;
                while (q.next()) {
                    // Rows without terms yet leave nothing in the index.
                    if (!reading.take(q, pending.lastOf(q.value(0).toLongLong()) == 0)) {
                        whole = false;
                        break;
                    }
                }
                q.finish();
            }
            if (i < kept.size())
                from = std::max(from, kept[i].second + 1);
        }
    }

    if (!lock(db))
        return notLocked();
    QElapsedTimer held;
    held.start();
    // As it stands now: a load may have been listed meanwhile.
    const Ranges kept = keep(&loadFirst);
    QSqlQuery current(db);
    current.prepare(QStringLiteral("SELECT recipient FROM history WHERE key = ?"));
    QSqlQuery remove(db);
    remove.prepare(QStringLiteral("DELETE FROM history WHERE key = ?"));
    bool ok = true;
    bool any = false;
    for (Candidate &c : rows) {
        if (any && enough(held.elapsed())) {
            whole = false;
            break;
        }
        if (holds(kept, c.key))
            continue;
        current.addBindValue(c.key);
        if (!(ok = current.exec()))
            break;
        if (!current.next())
            continue;
        if (!c.terms.isEmpty()) {
            if (const QString now = current.value(0).toString(); now != c.recipient)
                c.terms = findterms::terms(c.sender, now, c.message);
            current.finish();
            if (!(ok = find.remove(c.key, c.terms)))
                break;
        }
        current.finish();
        remove.addBindValue(c.key);
        if (!(ok = remove.exec()))
            break;
        any = true;
    }
    bool cleared = false;
    if (ok && whole) {
        // Nothing left: so is the place of the loads that never ended. A
        // sweep asked for meanwhile (another mark) goes on.
        QSqlQuery done(db);
        done.prepare(
            QStringLiteral("UPDATE meta SET value = 0 WHERE name = 'sweep' AND value = ?"));
        done.addBindValue(*mark);
        // Read at once: SQLite counts the changes of the connection's last statement.
        ok = done.exec();
        cleared = ok && done.numRowsAffected() > 0;
        ok = ok && find.dropUnready(loadFirst);
    }
    if (!commit(db, ok, "sweep"))
        return Result::Later;
    mergeNext();
    if (!cleared)
        return Result::More;
    emit swept();
    return Result::Done;
}

void StoreWorker::mergeNext()
{
    std::lock_guard lock(m_mutex);
    ++m_merge.asked;
    m_mergeNext = true;
}

StoreWorker::Result StoreWorker::mergeStep(QSqlDatabase &db, FindIndex &find)
{
    // Every commit adds a segment to the index; merged here a few pages at
    // a time for a step's time at most (SQLite would merge them all at once
    // inside a commit, the window thread's too, once they pile up).
    if (!lock(db))
        return notLocked();
    QElapsedTimer held;
    held.start();
    bool merged = true;
    bool ok = true;
    while (ok && merged && !enough(held.elapsed()))
        ok = find.merge(MergePages, merged);
    if (!commit(db, ok, "merge"))
        return Result::Later;
    return merged ? Result::More : Result::Done;
}
