#pragma once

#include "records.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <vector>

class HistoryModel;
class QThread;

// Reads a history file off the window thread: a worker decodes and parses
// it and hands its rows over a few at a time; the window thread puts each
// handful into the store in a short transaction, so datagrams are answered
// throughout, and the rows come into the list only when the file has been
// read whole. Memory: the decoded text and a few handfuls of rows.
class HistoryLoader : public QObject
{
    Q_OBJECT
public:
    // NotKept: the store refused the rows (a full disk); the list is as it was.
    enum class Outcome { Loaded, NotHistory, CutShort, Unreadable, NotKept };

    explicit HistoryLoader(HistoryModel &history, QObject *parent = nullptr);
    ~HistoryLoader() override;

    bool busy() const { return m_thread != nullptr; }
    // path names a plain file of size bytes; 読込 replaces, 追加読込 appends.
    // False while another load runs.
    bool start(const QString &path, qint64 size, bool replace);

signals:
    void finished(HistoryLoader::Outcome outcome);

private:
    void work(const QString &path);
    // In the worker: waits for room, then hands rows over.
    bool handOver(std::vector<HistoryRow> &&rows);
    // On the window thread: one handful into the store.
    void takeOne();

    HistoryModel &m_history;
    QThread *m_thread = nullptr;
    std::mutex m_mutex;
    std::condition_variable m_room;
    std::deque<std::vector<HistoryRow>> m_handfuls;
    bool m_done = false;
    Outcome m_outcome = Outcome::Loaded;
    bool m_notKept = false; // on the window thread
    std::atomic<bool> m_cancel{false};
};
