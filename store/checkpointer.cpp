#include "checkpointer.h"

#include "asideconnection.h"
#include "findindexer.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>
#include <QVariant>

#include <chrono>

Checkpointer::Checkpointer(const QString &path, FileIdentity identity)
    : m_path(path), m_identity(identity)
{
    m_thread = QThread::create([this] { run(); });
    m_thread->start(QThread::LowPriority);
}

Checkpointer::~Checkpointer()
{
    m_wakeup.stop();
    m_thread->wait();
    delete m_thread;
}

void Checkpointer::committed()
{
    m_wakeup.wake();
}

void Checkpointer::mergeIndex(QSqlDatabase &db)
{
    // A commit adds a small segment to the search's index; merged here a
    // few pages a transaction, the window thread waits at most one of them.
    constexpr int MostSteps = 200;
    for (int step = 0; step < MostSteps; ++step) {
        if (m_wakeup.stopped())
            return;
        if (!findindex::mergeStep(db))
            return;
    }
}

bool Checkpointer::checkpoint(QSqlDatabase &db)
{
    // A log is folded only into the file it was written for.
    if (FileIdentity::of(m_path) != m_identity)
        return true;
    mergeIndex(db);
    QSqlQuery q(db);
    // Passive: it copies what no reader still needs and never blocks a writer.
    if (!q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)")) || !q.next()) {
        qWarning("portana: store: checkpoint: %s", qPrintable(q.lastError().text()));
        return false;
    }
    return q.value(0).toInt() == 0; // 1: another connection held it off
}

void Checkpointer::run()
{
    AsideConnection aside("checkpoint", m_path, m_identity, 1000, 64);
    while (m_wakeup.wait()) {
        if (!aside.ours())
            continue;
        if (!checkpoint(aside.db()))
            m_wakeup.wake(); // tried again after the pause
        if (!m_wakeup.pause(std::chrono::seconds(1)))
            break;
    }
}
