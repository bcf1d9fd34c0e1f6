#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "records.h"

class InboxTable;

// The ten-entry table of waiting messages and what the received-message
// window shows of it: the entry on display (dix), the body's state and the
// paging buttons. No widgets: the window reads it and follows changed().
class Inbox : public QObject
{
    Q_OBJECT
public:
    static constexpr int Capacity = 10;

    using QObject::QObject;

    // Where every entry and its end is kept; none: kept in memory only.
    void setTable(InboxTable *table) { m_table = table; }
    // The entries kept when the program last ran wait again, body closed.
    void restore();

    // While not live the table counts as empty and the next arrival starts
    // it again at position 1.
    bool isLive() const { return m_live; }
    int recvCount() const { return m_live ? m_recvCount : 0; }
    // Entry n, 1 to recvCount.
    const InboxEntry &entry(int n) const { return m_entries[size_t(n - 1)]; }
    InboxEntry &entry(int n) { return m_entries[size_t(n - 1)]; }
    const InboxEntry &current() const { return entry(m_dix); }
    InboxEntry &current() { return entry(m_dix); }

    // Stores an arrival; nothing when the table is full. Returns its position, or 0.
    int store(InboxEntry e);
    // Drops every entry at once (閉じる).
    void drop();
    // The open confirmation of the entry on display went out.
    void markOpened();

    // What the window shows.
    bool bodyVisible() const { return m_bodyVisible; }
    QString bodyText() const { return m_body; }
    QString caption() const { return m_caption; }
    QString replyTip() const { return m_replyTip; }
    QString countText() const;
    bool nextEnabled() const { return m_next; }
    bool backEnabled() const { return m_back; }

    void setBodyVisible(bool visible);
    // dspRecvMsg: entry 1 on display, paging set afresh.
    void showFirst();
    // > and <: true when another entry came on display.
    bool next();
    bool back();
    // Removes the entry on display and shows its neighbour, body closed.
    void dataSlide();

signals:
    void changed();
    // The reply box is to be emptied.
    void replyCleared();

private:
    void recvSet();

    InboxTable *m_table = nullptr;
    std::array<InboxEntry, Capacity> m_entries;
    int m_recvCount = 0;
    int m_dix = 1;
    quint64 m_serials = 0;
    bool m_live = false;
    bool m_bodyVisible = false;
    bool m_next = false;
    bool m_back = false;
    QString m_body;
    QString m_caption = QStringLiteral("受信ﾒｯｾｰｼﾞ");
    QString m_replyTip;
};
