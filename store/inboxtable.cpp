#include "inboxtable.h"

#include "store.h"

#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

namespace {

void run(Store &store, QSqlQuery &q, const char *what)
{
    // The batch is lost already: nothing more goes into it.
    if (!store.failing() && !q.exec())
        store.failed(QStringLiteral("inbox %1: %2").arg(QLatin1String(what), q.lastError().text()));
}

} // namespace

std::vector<InboxEntry> InboxTable::entries()
{
    std::vector<InboxEntry> entries;
    QSqlQuery q(m_store.db());
    q.prepare(QStringLiteral("SELECT serial, name, ip, sendTime, rowNo, opened, logKey, body"
                             " FROM inbox ORDER BY serial"));
    run(m_store, q, "read");
    while (q.isActive() && q.next()) {
        InboxEntry e;
        e.serial = q.value(0).toULongLong();
        e.recvName = q.value(1).toString();
        e.recvIp = q.value(2).toString();
        e.recvSendTime = q.value(3).toString();
        e.recvRowNo = q.value(4).toString();
        e.recvOpen = q.value(5).toBool();
        e.recvLogKey = q.value(6).toLongLong();
        e.body = q.value(7).toString();
        entries.push_back(std::move(e));
    }
    return entries;
}

void InboxTable::insert(const InboxEntry &e)
{
    QSqlQuery q(m_store.db());
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO inbox(serial, name, ip, sendTime, rowNo,"
                             " opened, logKey, body) VALUES(?, ?, ?, ?, ?, ?, ?, ?)"));
    q.addBindValue(qint64(e.serial));
    q.addBindValue(Store::text(e.recvName));
    q.addBindValue(Store::text(e.recvIp));
    q.addBindValue(Store::text(e.recvSendTime));
    q.addBindValue(Store::text(e.recvRowNo));
    q.addBindValue(e.recvOpen ? 1 : 0);
    q.addBindValue(e.recvLogKey);
    q.addBindValue(Store::text(e.body));
    run(m_store, q, "add");
}

void InboxTable::startWith(const InboxEntry &entry)
{
    m_store.begin();
    clear();
    insert(entry);
    m_store.end();
}

void InboxTable::setOpened(quint64 serial)
{
    QSqlQuery q(m_store.db());
    q.prepare(QStringLiteral("UPDATE inbox SET opened = 1 WHERE serial = ?"));
    q.addBindValue(qint64(serial));
    run(m_store, q, "open");
}

void InboxTable::remove(quint64 serial)
{
    QSqlQuery q(m_store.db());
    q.prepare(QStringLiteral("DELETE FROM inbox WHERE serial = ?"));
    q.addBindValue(qint64(serial));
    run(m_store, q, "remove");
}

void InboxTable::clear()
{
    QSqlQuery q(m_store.db());
    q.prepare(QStringLiteral("DELETE FROM inbox"));
    run(m_store, q, "clear");
}
