#include "inbox.h"

int Inbox::store(InboxEntry e)
{
    e.serial = ++m_serials;
    int at = 0;
    if (!m_live) {
        // A fresh table; the body box already holds the newcomer.
        m_live = true;
        m_recvCount = at = m_dix = 1;
        m_entries[0] = e;
        m_body = e.body;
        emit replyCleared();
    } else {
        m_next = true;
        if (m_recvCount < Capacity) {
            m_entries[size_t(m_recvCount)] = e;
            at = ++m_recvCount;
        }
    }
    // Every arrival closes the body, also one the user is reading.
    m_bodyVisible = false;
    emit changed();
    return at;
}

void Inbox::drop()
{
    m_live = false;
    emit changed();
}

QString Inbox::countText() const
{
    return QStringLiteral("受信件数：") + QString::number(recvCount());
}

void Inbox::setBodyVisible(bool visible)
{
    m_bodyVisible = visible;
    emit changed();
}

void Inbox::recvSet()
{
    if (m_dix < 1 || m_dix > m_recvCount)
        return;
    const InboxEntry &e = current();
    m_replyTip = e.recvIp + QStringLiteral("へ返信");
    m_body = e.body;
    m_caption = QStringLiteral(" From ") + (e.recvName.isEmpty() ? e.recvIp : e.recvName) +
                QStringLiteral(" TIME: ") + e.recvSendTime;
}

void Inbox::showFirst()
{
    m_bodyVisible = false; // a fresh showing starts sealed
    m_next = recvCount() >= 2;
    m_back = false;
    m_dix = 1;
    recvSet();
    emit changed();
}

bool Inbox::next()
{
    const bool moved = m_dix < recvCount();
    if (moved) {
        ++m_dix;
        recvSet();
        m_back = true;
    }
    if (m_dix >= recvCount())
        m_next = false;
    emit changed();
    return moved;
}

bool Inbox::back()
{
    const bool moved = m_dix > 1;
    if (moved) {
        --m_dix;
        recvSet();
        m_next = true;
    }
    if (m_dix <= 1)
        m_back = false;
    emit changed();
    return moved;
}

void Inbox::dataSlide()
{
    if (m_recvCount < 1 || m_dix < 1 || m_dix > m_recvCount)
        return;
    for (int i = m_dix; i < m_recvCount; ++i)
        entry(i) = entry(i + 1);
    if (m_dix == m_recvCount && m_recvCount != 1)
        --m_dix;
    --m_recvCount;
    recvSet();
    m_bodyVisible = false;
    emit replyCleared();
    if (m_recvCount <= 1) {
        m_next = m_back = false;
    } else if (m_recvCount == m_dix) {
        m_next = false;
        m_back = true;
    } else {
        m_next = true;
        m_back = m_dix != 1;
    }
    emit changed();
}
