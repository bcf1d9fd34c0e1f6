#pragma once

#include <QObject>
#include <QString>
#include <array>
#include <functional>
#include <vector>

#include "records.h"

class InboxTable;

// The ten-entry table of waiting messages and what the received-message
// window shows of it: the entry on display (its position), the body's state and the
// paging buttons. No widgets: the window reads it and follows changed().
// What a batch of the store changes is announced once it is committed, and
// undone when it is not: an arrival that was not kept never shows.
class Inbox : public QObject
{
    Q_OBJECT
public:
    static constexpr int Capacity = 10;

    // table: where every entry and its end is kept; none: kept in memory only.
    explicit Inbox(InboxTable *table = nullptr, QObject *parent = nullptr);
    // Runs change in one batch of the store, with whatever else it writes;
    // false when that batch was not kept (then nothing of it remains).
    bool keep(const std::function<void()> &change);
    // The entries kept when the program last ran wait again, body closed;
    // the entry on display stays on display while it is kept.
    void restore();
    // What the table's store tells (the composition root connects them):
    // a batch began, was kept (its changes are told) or was undone.
    void batchBegan();
    void batchCommitted();
    void batchRolledBack();

    // While not live the table counts as empty and the next arrival starts
    // it again at position 1.
    bool isLive() const { return m_s.live; }
    int recvCount() const { return m_s.live ? m_s.recvCount : 0; }
    // Entry n, 1 to recvCount.
    const InboxEntry &entry(int n) const { return m_s.entries[size_t(n - 1)]; }
    InboxEntry &entry(int n) { return m_s.entries[size_t(n - 1)]; }
    const InboxEntry &current() const { return entry(m_s.position); }
    InboxEntry &current() { return entry(m_s.position); }

    // Stores an arrival; nothing when the table is full. Returns its position, or 0.
    int store(InboxEntry e);
    // Drops every entry at once (閉じる).
    void drop();
    // The open confirmation of the entry on display went out.
    void markOpened();

    // What the window shows.
    bool bodyVisible() const { return m_s.bodyVisible; }
    QString bodyText() const { return m_s.body; }
    QString caption() const { return m_s.caption; }
    QString replyTip() const { return m_s.replyTip; }
    QString countText() const;
    bool nextEnabled() const { return m_s.next; }
    bool backEnabled() const { return m_s.back; }

    void setBodyVisible(bool visible);
    // dspRecvMsg: entry 1 on display, paging set afresh.
    void showFirst();
    // > and <: true when another entry came on display.
    bool next();
    bool back();
    // Removes the entry on display and shows its neighbour, body closed
    // (dataSlide).
    void removeCurrent();

signals:
    void changed();
    // The reply box is to be emptied.
    void replyCleared();
    // A message was kept (also one the full table had no room for).
    void arrived(const QString &senderName, const QString &address);

private:
    void recvSet();
    bool inBatch() const;
    void tellChanged();
    void tellReplyCleared();

    InboxTable *m_table = nullptr;
    struct State
    {
        std::array<InboxEntry, Capacity> entries;
        int recvCount = 0;
        int position = 1; // the entry on display
        quint64 serials = 0;
        bool live = false;
        bool bodyVisible = false;
        bool next = false;
        bool back = false;
        QString body;
        QString caption = QStringLiteral("受信ﾒｯｾｰｼﾞ");
        QString replyTip;
    };
    State m_s;
    State m_before; // as the open batch found it
    // Told when the open batch is committed.
    bool m_changed = false;
    bool m_replyCleared = false;
    std::vector<std::pair<QString, QString>> m_arrivals;
};
