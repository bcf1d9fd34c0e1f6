#pragma once

#include "fileidentity.h"
#include "wakeup.h"

#include <QString>

class QSqlDatabase;
class QThread;

// Makes the write-ahead log durable and folds it into the database at most
// once a second after a commit, on a thread and connection of its own: the
// window thread commits without ever waiting for the disk, and a cut of
// power loses at most the last second. A checkpoint that fails is tried
// again a second later; none is made once the path names another file.
class Checkpointer
{
public:
    Checkpointer(const QString &path, FileIdentity identity);
    ~Checkpointer();

    // A commit happened: the log is to be made durable soon.
    void committed();

private:
    void run();
    void mergeIndex(QSqlDatabase &db);
    // One checkpoint; false when it is to be tried again.
    bool checkpoint(QSqlDatabase &db);

    const QString m_path;
    const FileIdentity m_identity;
    QThread *m_thread = nullptr;
    Wakeup m_wakeup;
};
