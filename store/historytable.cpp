#include "historytable.h"

#include "store.h"

#include <QSqlError>
#include <QVariant>

namespace {

// The columns a row is read from, in rowFrom's order; the body last.
const QString RowColumns =
    QStringLiteral("key, date, sender, recipient, sendTime, receiveTime, received, ");

HistoryRow rowFrom(const QSqlQuery &q)
{
    HistoryRow r;
    r.key = q.value(0).toLongLong();
    r.date = q.value(1).toString();
    r.sender = q.value(2).toString();
    r.recipient = q.value(3).toString();
    r.sendTime = q.value(4).toString();
    r.receiveTime = q.value(5).toString();
    r.received = q.value(6).toBool();
    r.message = q.value(7).toString();
    return r;
}

} // namespace

HistoryTable::HistoryTable(Store &store) : m_store(store) {}

QSqlQuery HistoryTable::prepared(const QString &sql)
{
    QSqlQuery q(m_store.db());
    q.prepare(sql);
    return q;
}

void HistoryTable::forget()
{
    m_insert.reset();
    m_saveRun.reset();
}

bool HistoryTable::run(QSqlQuery &q, const char *what)
{
    // The batch is lost already: nothing more goes into it.
    if (m_store.failing())
        return false;
    if (q.exec())
        return true;
    m_store.failed(QStringLiteral("%1: %2").arg(QLatin1String(what), q.lastError().text()));
    return false;
}

std::vector<HistoryTable::Run> HistoryTable::runs()
{
    std::vector<Run> runs;
    QSqlQuery q = prepared(QStringLiteral("SELECT seq, first, count FROM runs ORDER BY seq"));
    if (run(q, "runs"))
        while (q.next())
            runs.push_back(
                {q.value(0).toLongLong(), q.value(1).toLongLong(), q.value(2).toLongLong()});
    return runs;
}

void HistoryTable::saveRun(const Run &r)
{
    if (r.count <= 0) {
        QSqlQuery q = prepared(QStringLiteral("DELETE FROM runs WHERE seq = ?"));
        q.addBindValue(r.seq);
        run(q, "run");
        return;
    }
    if (!m_saveRun)
        m_saveRun = prepared(
            QStringLiteral("INSERT OR REPLACE INTO runs(seq, first, count) VALUES(?, ?, ?)"));
    m_saveRun->addBindValue(r.seq);
    m_saveRun->addBindValue(r.first);
    m_saveRun->addBindValue(r.count);
    run(*m_saveRun, "run");
}

void HistoryTable::clear()
{
    QSqlQuery q = prepared(QStringLiteral("DELETE FROM runs"));
    run(q, "clear");
    m_store.setMeta(QStringLiteral("keyFloor"), m_store.peekKey());
}

int HistoryTable::removeRange(qint64 first, qint64 last, int limit)
{
    QSqlQuery q = prepared(QStringLiteral(
        "DELETE FROM history WHERE key IN"
        " (SELECT key FROM history WHERE key BETWEEN ? AND ? ORDER BY key LIMIT ?)"));
    q.addBindValue(first);
    q.addBindValue(last);
    q.addBindValue(limit);
    return run(q, "sweep") ? q.numRowsAffected() : 0;
}

void HistoryTable::insert(const HistoryRow &row, int sentNo)
{
    if (!m_insert)
        m_insert = prepared(QStringLiteral(
            "INSERT INTO history(key, date, sender, recipient, sendTime, receiveTime, received,"
            " sentNo, message) VALUES(?, ?, ?, ?, ?, ?, ?, ?, ?)"));
    QSqlQuery &q = *m_insert;
    q.addBindValue(row.key);
    q.addBindValue(Store::text(row.date));
    q.addBindValue(Store::text(row.sender));
    q.addBindValue(Store::text(row.recipient));
    q.addBindValue(Store::text(row.sendTime));
    q.addBindValue(Store::text(row.receiveTime));
    q.addBindValue(row.received ? 1 : 0);
    q.addBindValue(sentNo > 0 ? QVariant(sentNo) : QVariant());
    q.addBindValue(Store::text(row.message));
    run(q, "add");
}

void HistoryTable::remove(qint64 key)
{
    QSqlQuery q = prepared(QStringLiteral("DELETE FROM history WHERE key = ?"));
    q.addBindValue(key);
    run(q, "remove");
}

std::vector<HistoryRow> HistoryTable::page(qint64 first, qint64 last, int messageChars)
{
    std::vector<HistoryRow> rows;
    QSqlQuery q = prepared(
        QStringLiteral("SELECT ") + RowColumns +
        QStringLiteral("substr(message, 1, ?) FROM history WHERE key BETWEEN ? AND ? ORDER BY key"));
    q.setForwardOnly(true);
    q.addBindValue(messageChars);
    q.addBindValue(first);
    q.addBindValue(last);
    if (run(q, "page"))
        while (q.next())
            rows.push_back(rowFrom(q));
    return rows;
}

std::optional<HistoryRow> HistoryTable::row(qint64 key)
{
    QSqlQuery q = prepared(
        QStringLiteral("SELECT ") + RowColumns + QStringLiteral("message FROM history WHERE key = ?"));
    q.addBindValue(key);
    if (run(q, "row") && q.next())
        return rowFrom(q);
    return std::nullopt;
}

void HistoryTable::each(qint64 first, qint64 last, const std::function<void(const HistoryRow &)> &f)
{
    QSqlQuery q = prepared(
        QStringLiteral("SELECT ") + RowColumns +
        QStringLiteral("message FROM history WHERE key BETWEEN ? AND ? ORDER BY key"));
    q.setForwardOnly(true);
    q.addBindValue(first);
    q.addBindValue(last);
    if (run(q, "each"))
        while (q.next())
            f(rowFrom(q));
}

qint64 HistoryTable::sentWith(int sentNo)
{
    QSqlQuery q = prepared(QStringLiteral("SELECT max(key) FROM history WHERE sentNo = ?"));
    q.addBindValue(sentNo);
    return run(q, "sent") && q.next() ? q.value(0).toLongLong() : 0;
}

void HistoryTable::setRecipient(qint64 key, const QString &recipient, const QString &receiveTime)
{
    QSqlQuery q =
        prepared(QStringLiteral("UPDATE history SET recipient = ?, receiveTime = ? WHERE key = ?"));
    q.addBindValue(Store::text(recipient));
    q.addBindValue(Store::text(receiveTime));
    q.addBindValue(key);
    run(q, "open");
}

void HistoryTable::setReceiveTime(qint64 key, const QString &receiveTime)
{
    QSqlQuery q = prepared(QStringLiteral("UPDATE history SET receiveTime = ? WHERE key = ?"));
    q.addBindValue(Store::text(receiveTime));
    q.addBindValue(key);
    run(q, "result");
}

std::vector<qint64> HistoryTable::markWaiting(const QString &recipient, const QString &receiveTime)
{
    std::vector<qint64> keys;
    QSqlQuery waiting = prepared(QStringLiteral(
        "SELECT key FROM history WHERE received = 1 AND receiveTime = '' ORDER BY key"));
    waiting.setForwardOnly(true);
    if (run(waiting, "waiting"))
        while (waiting.next())
            keys.push_back(waiting.value(0).toLongLong());
    QSqlQuery q = prepared(QStringLiteral("UPDATE history SET recipient = ?, receiveTime = ?"
                                          " WHERE received = 1 AND receiveTime = ''"));
    q.addBindValue(Store::text(recipient));
    q.addBindValue(Store::text(receiveTime));
    run(q, "discard");
    return keys;
}
