#include "findindex.h"

#include <QSqlError>
#include <QVariant>

qint64 FindIndex::Pending::lastOf(qint64 key) const
{
    for (const Range &r : ranges)
        if (key >= r.first && key <= r.last)
            return r.last;
    return 0;
}

qint64 FindIndex::Pending::nextAfter(qint64 key) const
{
    for (const Range &r : ranges)
        if (r.first > key)
            return r.first;
    return 0;
}

bool FindIndex::run(QSqlQuery &q)
{
    if (q.exec())
        return true;
    m_error = q.lastError().text();
    return false;
}

QSqlQuery &FindIndex::prepared(std::optional<QSqlQuery> &slot, const QString &sql)
{
    if (!slot) {
        slot.emplace(m_db);
        slot->prepare(sql);
    }
    return *slot;
}

void FindIndex::forget()
{
    m_add.reset();
    m_remove.reset();
}

bool FindIndex::add(qint64 key, const QString &terms)
{
    QSqlQuery &q =
        prepared(m_add, QStringLiteral("INSERT INTO history_find(rowid, terms) VALUES(?, ?)"));
    q.addBindValue(key);
    q.addBindValue(terms);
    return run(q);
}

bool FindIndex::remove(qint64 key, const QString &terms)
{
    QSqlQuery &q = prepared(m_remove, QStringLiteral("INSERT INTO history_find(history_find,"
                                                     " rowid, terms) VALUES('delete', ?, ?)"));
    q.addBindValue(key);
    q.addBindValue(terms);
    return run(q);
}

FindIndex::Pending FindIndex::pending()
{
    // Few ranges: an older store's rows, and a load at most.
    Pending p;
    QSqlQuery q(m_db);
    if (q.exec(QStringLiteral("SELECT first, last, ready FROM find_pending ORDER BY first")))
        while (q.next())
            p.ranges.push_back(
                {q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toBool()});
    else
        m_error = q.lastError().text();
    return p;
}

std::optional<FindIndex::Range> FindIndex::firstReady(qint64 *keysLeft)
{
    std::optional<Range> first;
    qint64 left = 0;
    for (const Range &r : pending().ranges) {
        if (!r.ready)
            continue;
        if (!first)
            first = r;
        left += r.last - r.first + 1;
    }
    if (keysLeft)
        *keysLeft = left;
    return first;
}

bool FindIndex::exec(const QString &sql, std::initializer_list<QVariant> values)
{
    QSqlQuery q(m_db);
    q.prepare(sql);
    for (const QVariant &v : values)
        q.addBindValue(v);
    return run(q);
}

bool FindIndex::setPending(qint64 first, qint64 last, bool ready)
{
    return exec(
        QStringLiteral("INSERT OR REPLACE INTO find_pending(first, last, ready) VALUES(?, ?, ?)"),
        {first, last, ready ? 1 : 0});
}

bool FindIndex::dropPending(qint64 first)
{
    return exec(QStringLiteral("DELETE FROM find_pending WHERE first = ?"), {first});
}

bool FindIndex::donePending(const Range &range, qint64 through)
{
    if (through >= range.last)
        return dropPending(range.first);
    return exec(QStringLiteral("UPDATE find_pending SET first = ? WHERE first = ?"),
                {through + 1, range.first});
}

bool FindIndex::dropUnready(qint64 except)
{
    return exec(QStringLiteral("DELETE FROM find_pending WHERE ready = 0 AND first != ?"),
                {except});
}

QString FindIndex::matching(const QString &columns)
{
    return QStringLiteral("SELECT ") + columns +
           QStringLiteral(" FROM history_find f JOIN history h ON h.key = f.rowid"
                          " WHERE history_find MATCH ? AND f.rowid > ? AND f.rowid <= ?");
}

bool FindIndex::merge(int pages, bool &merged)
{
    QSqlQuery q(m_db);
    const auto changes = [&q] {
        return q.exec(QStringLiteral("SELECT total_changes()")) && q.next()
                   ? q.value(0).toLongLong()
                   : -1;
    };
    const qint64 before = changes();
    if (!q.exec(QStringLiteral("INSERT INTO history_find(history_find, rank) VALUES('merge', %1)")
                    .arg(pages))) {
        m_error = q.lastError().text();
        return false;
    }
    // Fewer than two changes: there was nothing left to merge.
    merged = changes() - before >= 2;
    return true;
}
