#include "historytable.h"

#include "findterms.h"
#include "store.h"

#include <QSqlError>
#include <QVariant>

#include <algorithm>

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
    m_find.reset();
    m_saveRun.reset();
}

FindIndex &HistoryTable::findIndex()
{
    if (!m_find)
        m_find.emplace(m_store.db());
    return *m_find;
}

bool HistoryTable::ran(bool ok, const char *what)
{
    if (!ok)
        m_store.failed(QStringLiteral("%1: %2").arg(QLatin1String(what), findIndex().error()));
    return ok;
}

void HistoryTable::setPending(qint64 first, qint64 last, bool ready)
{
    if (!m_store.failing())
        ran(findIndex().setPending(first, last, ready), "pending");
}

void HistoryTable::dropPending(qint64 first)
{
    if (!m_store.failing())
        ran(findIndex().dropPending(first), "pending");
}

void HistoryTable::index(qint64 key, const QString &sender, const QString &recipient,
                         const QString &message)
{
    indexTerms(key, findterms::terms(sender, recipient, message));
}

void HistoryTable::indexTerms(qint64 key, const QString &terms)
{
    if (m_store.failing())
        forget();
    else
        ran(findIndex().add(key, terms), "index");
}

void HistoryTable::unindexTerms(qint64 key, const QString &terms)
{
    if (m_store.failing())
        forget();
    else
        ran(findIndex().remove(key, terms), "unindex");
}

void HistoryTable::indexedRows(const QString &where, const QVariantList &values,
                               const std::function<void(const HistoryRow &)> &f)
{
    if (m_store.failing())
        return;
    QSqlQuery q = prepared(
        QStringLiteral("SELECT key, sender, recipient, message FROM history WHERE ") + where);
    q.setForwardOnly(true);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!run(q, "terms"))
        return;
    const FindIndex::Pending pending = findIndex().pending();
    while (q.next()) {
        HistoryRow row;
        row.key = q.value(0).toLongLong();
        if (pending.lastOf(row.key) != 0)
            continue;
        row.sender = q.value(1).toString();
        row.recipient = q.value(2).toString();
        row.message = q.value(3).toString();
        f(row);
    }
}

void HistoryTable::unindexRows(const QString &where, const QVariantList &values)
{
    indexedRows(where, values, [this](const HistoryRow &r) {
        unindexTerms(r.key, findterms::terms(r.sender, r.recipient, r.message));
    });
}

bool HistoryTable::run(QSqlQuery &q, const char *what)
{
    // The batch is lost already: nothing more goes into it. A statement
    // kept prepared would keep the values bound for it, and never run again.
    if (m_store.failing()) {
        forget();
        return false;
    }
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

void HistoryTable::replaceRuns(std::vector<Run> &runs)
{
    QSqlQuery q = prepared(QStringLiteral("DELETE FROM runs"));
    run(q, "runs");
    qint64 seq = 0;
    for (Run &r : runs) {
        r.seq = ++seq;
        saveRun(r);
    }
}

void HistoryTable::clear()
{
    QSqlQuery q = prepared(QStringLiteral("DELETE FROM runs"));
    run(q, "clear");
    m_store.setMeta(QStringLiteral("keyFloor"), m_store.peekKey());
}

void HistoryTable::insert(const HistoryRow &row, int sentNo, bool indexed)
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
    if (run(q, "add") && indexed)
        index(row.key, row.sender, row.recipient, row.message);
}

void HistoryTable::remove(qint64 key)
{
    unindexRows(QStringLiteral("key = ?"), {key});
    QSqlQuery q = prepared(QStringLiteral("DELETE FROM history WHERE key = ?"));
    q.addBindValue(key);
    run(q, "remove");
}

std::vector<HistoryRow> HistoryTable::page(qint64 first, qint64 last, int messageChars)
{
    std::vector<HistoryRow> rows;
    QSqlQuery q =
        prepared(QStringLiteral("SELECT ") + RowColumns +
                 QStringLiteral(
                     "substr(message, 1, ?) FROM history WHERE key BETWEEN ? AND ? ORDER BY key"));
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
    QSqlQuery q = prepared(QStringLiteral("SELECT ") + RowColumns +
                           QStringLiteral("message FROM history WHERE key = ?"));
    q.addBindValue(key);
    if (run(q, "row") && q.next())
        return rowFrom(q);
    return std::nullopt;
}

void HistoryTable::each(qint64 first, qint64 last, const std::function<void(const HistoryRow &)> &f)
{
    QSqlQuery q =
        prepared(QStringLiteral("SELECT ") + RowColumns +
                 QStringLiteral("message FROM history WHERE key BETWEEN ? AND ? ORDER BY key"));
    q.setForwardOnly(true);
    q.addBindValue(first);
    q.addBindValue(last);
    if (run(q, "each"))
        while (q.next())
            f(rowFrom(q));
}

HistoryTable::Found HistoryTable::find(const Query &query, qint64 after, qint64 last)
{
    constexpr qint64 ScanKeys = 5000;  // rows read whole and checked, a step
    constexpr qint64 DateKeys = 20000; // rows whose date alone is read
    constexpr int FoundRows = 2000;
    Found found{{}, last};
    if (after >= last)
        return found;
    const FindIndex::Pending pending = findIndex().pending();
    const qint64 pendingLast = pending.lastOf(after + 1);
    QString sql;
    QVariantList values;
    bool check = false;
    if (query.words.isEmpty()) {
        found.through = std::min(last, after + DateKeys);
        sql = QStringLiteral("SELECT key FROM history WHERE key > ? AND key <= ?");
        values << after << found.through;
    } else if (pendingLast != 0) {
        // Not indexed yet: read and checked.
        found.through = std::min({last, pendingLast, after + ScanKeys});
        sql = QStringLiteral("SELECT key, sender, recipient, message FROM history"
                             " WHERE key > ? AND key <= ?");
        values << after << found.through;
        check = true;
    } else {
        if (const qint64 next = pending.nextAfter(after); next != 0)
            found.through = std::min(last, next - 1);
        QStringList match;
        for (const QString &word : query.words) {
            match << findterms::match(word);
            check = check || !findterms::exact(word);
        }
        sql = FindIndex::matching(check ? QStringLiteral("h.key, h.sender, h.recipient, h.message")
                                        : QStringLiteral("h.key"));
        values << match.join(QStringLiteral(" AND ")) << after << found.through;
    }
    if (!query.from.isEmpty()) {
        sql += QStringLiteral(" AND date >= ?");
        values << query.from;
    }
    if (!query.to.isEmpty()) {
        sql += QStringLiteral(" AND date <= ?");
        values << query.to;
    }
    const bool limited = !query.words.isEmpty() && pendingLast == 0;
    if (limited)
        sql += QStringLiteral(" ORDER BY f.rowid LIMIT %1").arg(FoundRows);
    QSqlQuery q = prepared(sql);
    q.setForwardOnly(true);
    for (const QVariant &v : values)
        q.addBindValue(v);
    if (!q.exec()) {
        qWarning("portana: store: find: %s", qPrintable(q.lastError().text()));
        return found;
    }
    int rows = 0;
    while (q.next()) {
        ++rows;
        const qint64 key = q.value(0).toLongLong();
        if (check) {
            const HistoryRow row{QString(), q.value(1).toString(), q.value(2).toString(), QString(),
                                 QString(), q.value(3).toString()};
            if (!std::all_of(query.words.begin(), query.words.end(),
                             [&row](const QString &w) { return findterms::contains(row, w); })) {
                if (limited)
                    found.through = key;
                continue;
            }
        }
        found.keys.push_back(key);
        if (limited)
            found.through = key;
    }
    if (limited && rows < FoundRows)
        found.through = values[2].toLongLong();
    std::sort(found.keys.begin(), found.keys.end());
    return found;
}

qint64 HistoryTable::sentWith(int sentNo)
{
    QSqlQuery q = prepared(QStringLiteral("SELECT max(key) FROM history WHERE sentNo = ?"));
    q.addBindValue(sentNo);
    return run(q, "sent") && q.next() ? q.value(0).toLongLong() : 0;
}

void HistoryTable::setRecipient(qint64 key, const QString &recipient, const QString &receiveTime)
{
    reindexRecipient(QStringLiteral("key = ?"), {key}, recipient);
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

void HistoryTable::reindexRecipient(const QString &where, const QVariantList &values,
                                    const QString &recipient)
{
    indexedRows(where, values, [this, &recipient](const HistoryRow &r) {
        const QSet<quint64> rest = findterms::termSet(r.sender, r.message);
        unindexTerms(r.key, findterms::terms(rest, r.recipient));
        indexTerms(r.key, findterms::terms(rest, recipient));
    });
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
    reindexRecipient(QStringLiteral("received = 1 AND receiveTime = ''"), {}, recipient);
    QSqlQuery q = prepared(QStringLiteral("UPDATE history SET recipient = ?, receiveTime = ?"
                                          " WHERE received = 1 AND receiveTime = ''"));
    q.addBindValue(Store::text(recipient));
    q.addBindValue(Store::text(receiveTime));
    run(q, "discard");
    return keys;
}

int HistoryTable::nextSentNo(int rowNo)
{
    // sentNumber: the reference field holds eight digits.
    constexpr qint64 Most = 99999999;
    qint64 last = m_store.meta(QStringLiteral("lastSentNo"), -1);
    if (last < 0) {
        // A store from before the numbers were kept: past every row's.
        QSqlQuery q = prepared(QStringLiteral("SELECT max(sentNo) FROM history"));
        last = run(q, "sent") && q.next() ? q.value(0).toLongLong() : 0;
    }
    qint64 n = std::max<qint64>(rowNo, last + 1);
    if (n > Most)
        n = 1;
    QSqlQuery waiting = prepared(QStringLiteral(
        "SELECT 1 FROM history WHERE sentNo = ? AND received = 0 AND receiveTime = '' LIMIT 1"));
    for (qint64 tries = 0; tries < Most; ++tries) {
        waiting.addBindValue(n);
        if (!run(waiting, "sent") || !waiting.next())
            break;
        n = n % Most + 1;
    }
    m_store.setMeta(QStringLiteral("lastSentNo"), n);
    return int(n);
}
