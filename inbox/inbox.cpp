#include "inbox.h"

#include "inboxtable.h"
#include "store.h"

#include <algorithm>

Inbox::Inbox(InboxTable *table, QObject *parent) : QObject(parent), m_table(table) {}

void Inbox::batchBegan()
{
    m_before = m_s;
}

void Inbox::batchRolledBack()
{
    m_s = m_before;
    m_changed = m_replyCleared = false;
    m_arrivals.clear();
}

bool Inbox::keep(const std::function<void()> &change)
{
    if (!m_table) {
        change();
        return true;
    }
    m_table->store().begin();
    change();
    return m_table->store().end();
}

bool Inbox::inBatch() const
{
    return m_table && m_table->store().inBatch();
}

void Inbox::tellChanged()
{
    if (inBatch())
        m_changed = true;
    else
        emit changed();
}

void Inbox::tellReplyCleared()
{
    if (inBatch())
        m_replyCleared = true;
    else
        emit replyCleared();
}

void Inbox::batchCommitted()
{
    if (std::exchange(m_replyCleared, false))
        emit replyCleared();
    if (std::exchange(m_changed, false))
        emit changed();
    for (const auto &[name, address] : std::exchange(m_arrivals, {}))
        emit arrived(name, address);
}

int Inbox::store(InboxEntry e)
{
    e.serial = ++m_s.serials;
    int at = 0;
    if (!m_s.live) {
        // A fresh table; the body box already holds the newcomer.
        m_s.live = true;
        m_s.recvCount = at = m_s.position = 1;
        m_s.entries[0] = e;
        if (m_table)
            m_table->startWith(e);
        m_s.body = e.body;
        tellReplyCleared();
    } else {
        m_s.next = true;
        if (m_s.recvCount < Capacity) {
            m_s.entries[size_t(m_s.recvCount)] = e;
            at = ++m_s.recvCount;
            if (m_table)
                m_table->insert(e);
        }
    }
    // Every arrival closes the body, also one the user is reading.
    m_s.bodyVisible = false;
    m_arrivals.emplace_back(e.recvName, e.recvIp);
    tellChanged();
    if (!inBatch())
        batchCommitted();
    return at;
}

void Inbox::restore()
{
    if (!m_table)
        return;
    const quint64 shown = m_s.live && m_s.position <= m_s.recvCount ? current().serial : 0;
    const std::vector<InboxEntry> kept = m_table->entries();
    m_s.live = !kept.empty();
    m_s.recvCount = int(std::min(kept.size(), m_s.entries.size()));
    std::copy_n(kept.begin(), m_s.recvCount, m_s.entries.begin());
    m_s.serials = kept.empty() ? m_s.serials : std::max(m_s.serials, kept.back().serial);
    m_s.position = 1;
    for (int n = 1; n <= m_s.recvCount; ++n)
        if (entry(n).serial == shown)
            m_s.position = n;
    m_s.bodyVisible = false;
    m_s.back = m_s.position > 1;
    m_s.next = m_s.position < m_s.recvCount;
    if (m_s.live)
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
    m_s.live = false;
    if (m_table)
        m_table->clear();
    tellChanged();
}

QString Inbox::countText() const
{
    return QStringLiteral("受信件数：") + QString::number(recvCount());
}

void Inbox::setBodyVisible(bool visible)
{
    m_s.bodyVisible = visible;
    emit changed();
}

void Inbox::recvSet()
{
    if (m_s.position < 1 || m_s.position > m_s.recvCount)
        return;
    const InboxEntry &e = current();
    m_s.replyTip = e.recvIp + QStringLiteral("へ返信");
    m_s.body = e.body;
    m_s.caption = QStringLiteral(" From ") + (e.recvName.isEmpty() ? e.recvIp : e.recvName) +
                  QStringLiteral(" TIME: ") + e.recvSendTime;
}

void Inbox::showFirst()
{
    m_s.bodyVisible = false; // a fresh showing starts sealed
    m_s.next = recvCount() >= 2;
    m_s.back = false;
    m_s.position = 1;
    recvSet();
    emit changed();
}

bool Inbox::next()
{
    const bool moved = m_s.position < recvCount();
    if (moved) {
        ++m_s.position;
        recvSet();
        m_s.back = true;
    }
    if (m_s.position >= recvCount())
        m_s.next = false;
    emit changed();
    return moved;
}

bool Inbox::back()
{
    const bool moved = m_s.position > 1;
    if (moved) {
        --m_s.position;
        recvSet();
        m_s.next = true;
    }
    if (m_s.position <= 1)
        m_s.back = false;
    emit changed();
    return moved;
}

void Inbox::removeCurrent()
{
    if (m_s.recvCount < 1 || m_s.position < 1 || m_s.position > m_s.recvCount)
        return;
    if (m_table)
        m_table->remove(current().serial);
    for (int i = m_s.position; i < m_s.recvCount; ++i)
        entry(i) = entry(i + 1);
    if (m_s.position == m_s.recvCount && m_s.recvCount != 1)
        --m_s.position;
    --m_s.recvCount;
    recvSet();
    m_s.bodyVisible = false;
    tellReplyCleared();
    if (m_s.recvCount <= 1) {
        m_s.next = m_s.back = false;
    } else if (m_s.recvCount == m_s.position) {
        m_s.next = false;
        m_s.back = true;
    } else {
        m_s.next = true;
        m_s.back = m_s.position != 1;
    }
    tellChanged();
}
