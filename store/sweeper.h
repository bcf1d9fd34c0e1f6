#pragma once

#include "fileidentity.h"
#include "wakeup.h"

#include <QString>
#include <functional>
#include <mutex>

class QSqlDatabase;
class QThread;

// Deletes the history rows no run lists any more (after 履歴ｸﾘｱ, 読込,
// keeping, a load that failed), with their terms, on a thread and
// connection of its own: a few hundred rows a transaction, after any batch
// of the window thread that waits. The store's "sweep" mark says whether
// there is work; it is cleared in the transaction that finds none left.
class Sweeper
{
public:
    // done runs on the sweeper's thread each time it finds nothing left.
    Sweeper(const QString &path, FileIdentity identity, std::function<void()> done);
    ~Sweeper();

    // There may be rows to delete. Keys first..end-1 belong to the file
    // that loads now (end 0: none) and stay.
    void sweep(qint64 loadFirst, qint64 loadEnd);
    // The load's keys change (before its first batch is kept).
    void setLoad(qint64 first, qint64 end);

private:
    void run();
    // One step; false when there is nothing left (or it could not be done).
    bool step(QSqlDatabase &db);

    const QString m_path;
    const FileIdentity m_identity;
    const std::function<void()> m_done;
    QThread *m_thread = nullptr;
    Wakeup m_wakeup;
    std::mutex m_mutex; // the load's keys
    qint64 m_loadFirst = 0;
    qint64 m_loadEnd = 0;
};
