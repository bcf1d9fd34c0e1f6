#include "inbox.h"

#include "inboxtable.h"

#include <algorithm>

int Inbox::store(InboxEntry e)
{
    e.serial = ++m_serials;
    int at = 0;
    if (!m_live) {
        // A fresh table; the body box already holds the newcomer.
        m_live = true;
        m_recvCount = at = m_dix = 1;
        m_entries[0] = e;
        if (m_table)
            m_table->startWith(e);
        m_body = e.body;
        emit replyCleared();
    } else {
        m_next = true;
        if (m_recvCount < Capacity) {
            m_entries[size_t(m_recvCount)] = e;
            at = ++m_recvCount;
            if (m_table)
                m_table->insert(e);
        }
    }
    // Every arrival closes the body, also one the user is reading.
    m_bodyVisible = false;
    emit changed();
    return at;
}

void Inbox::restore()
{
    if (!m_table)
        return;
    const std::vector<InboxEntry> kept = m_table->entries();
    m_live = !kept.empty();
    m_recvCount = int(std::min(kept.size(), m_entries.size()));
    std::copy_n(kept.begin(), m_recvCount, m_entries.begin());
    m_serials = kept.empty() ? m_serials : std::max(m_serials, kept.back().serial);
    m_dix = 1;
    m_bodyVisible = m_back = false;
    m_next = m_recvCount >= 2;
    if (m_live)
        recvSet();
    emit changed();
}

void Inbox::markOpened()
{
    current().recvOpen = true;
    if (m_table)
        m_table->setOpened(current().serial);
}

void Inbox::drop()
{
    m_live = false;
    if (m_table)
        m_table->clear();
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
    if (m_table)
        m_table->remove(current().serial);
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
