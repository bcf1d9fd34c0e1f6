#include "checkpointer.h"

#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QThread>

#include <atomic>
#include <chrono>

Checkpointer::Checkpointer(const QString &path)
{
    m_thread = QThread::create([this, path] { run(path); });
    m_thread->start(QThread::LowPriority);
}

Checkpointer::~Checkpointer()
{
    {
        std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_thread->wait();
    delete m_thread;
}

void Checkpointer::committed()
{
    {
        std::lock_guard lock(m_mutex);
        m_dirty = true;
    }
    m_wake.notify_all();
}

void Checkpointer::run(const QString &path)
{
    static std::atomic<int> counter{0};
    const QString name = QStringLiteral("portana-checkpoint-%1").arg(++counter);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=1000"));
        db.open();
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_dirty || m_stop; });
            if (m_stop)
                break;
            m_dirty = false;
            lock.unlock();
            // Passive: it copies what no reader still needs and never blocks a writer.
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("PRAGMA wal_checkpoint(PASSIVE)")))
                qWarning("portana: store: checkpoint: %s", qPrintable(q.lastError().text()));
            q.finish();
            lock.lock();
            m_wake.wait_for(lock, std::chrono::seconds(1), [this] { return m_stop; });
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}
