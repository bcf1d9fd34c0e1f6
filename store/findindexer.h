#pragma once

#include "fileidentity.h"

#include <QObject>
#include <QString>
#include <atomic>

class QSqlDatabase;
class QThread;

namespace findindex {
// Merges a few pages of the index's segments in a transaction of its own,
// after any batch of the window thread that waits; false when there was
// nothing to merge (or the lock could not be had).
bool mergeStep(QSqlDatabase &db);
} // namespace findindex

// Gives the rows of a store made by an older version their terms, once, on
// a thread and connection of its own, a few thousand rows a transaction:
// the window thread's batches wait at most one step for the write lock, so
// messages are received and acknowledged all along. Where it got to is kept
// in the store; the next start goes on from there.
class FindIndexer : public QObject
{
    Q_OBJECT
public:
    FindIndexer(const QString &path, FileIdentity identity, QObject *parent = nullptr);
    ~FindIndexer() override;

signals:
    // Queued to the thread that made it: done of total keys so far.
    void progress(qint64 done, qint64 total);
    void finished();

private:
    void run();
    // One step; false when there is nothing left (or the file went).
    bool step(QSqlDatabase &db);

    const QString m_path;
    const FileIdentity m_identity;
    QThread *m_thread = nullptr;
    std::atomic<bool> m_stop{false};
    qint64 m_total = -1; // keys to do, as far as known
    qint64 m_done = 0;
};
