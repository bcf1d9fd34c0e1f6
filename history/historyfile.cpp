#include "historyfile.h"

#include "cp932.h"
#include "recordfile.h"

#include <algorithm>

namespace historyfile {
QByteArray write(const HistoryModel &history, const QDateTime &now, const QString &statusText)
{
    return write([&history](const Take &take) { history.forEach(take); }, now, statusText);
}

QByteArray write(const std::function<void(const Take &)> &rows, const QDateTime &now,
                 const QString &statusText)
{
    QString text;
    text += recordfile::quoted(QString::fromLatin1(Signature)) + u',' +
            now.date().toString(QStringLiteral("#yyyy-MM-dd#")) + u',' +
            now.time().toString(QStringLiteral("#HH:mm:ss#")) + u',' +
            recordfile::quoted(statusText) + QStringLiteral("\r\n");
    rows([&text](const HistoryRow &row) {
        for (const QString *field : {&row.date, &row.sender, &row.recipient, &row.sendTime,
                                     &row.receiveTime, &row.message}) {
            if (field != &row.date)
                text += u',';
            text += recordfile::quoted(*field);
        }
        text += QStringLiteral("\r\n");
    });
    return cp932::encode(text);
}

ReadResult read(QByteArrayView bytes)
{
    std::vector<HistoryRow> rows;
    ReadResult result = read(cp932::decode(bytes), [&rows](HistoryRow &&row) {
        rows.push_back(std::move(row));
        return true;
    });
    if (!result.cutShort)
        result.rows = std::move(rows);
    return result;
}

ReadResult read(const QString &text, const std::function<bool(HistoryRow &&)> &take)
{
    ReadResult result;
    recordfile::Reader fields(text, recordfile::HistoryDialect);
    const auto signature = fields.next();
    if (!signature || *signature != QLatin1String(Signature))
        return result;
    result.isHistory = true;
    const auto cut = [&result] {
        result.cutShort = true;
        return result;
    };
    for (int i = 0; i < 3; ++i)
        if (!fields.next())
            return cut();
    for (;;) {
        QString f[6];
        int got = 0;
        while (got < 6) {
            auto field = fields.next();
            if (!field)
                break;
            f[got++] = std::move(*field);
        }
        if (got == 0)
            break;
        if (got < 6 || fields.unclosed())
            return cut();
        // A record of nothing but separators is no row (a file of commas
        // would otherwise become millions of them).
        if (std::all_of(std::begin(f), std::end(f), [](const QString &x) { return x.isEmpty(); }))
            continue;
        HistoryRow row{f[0], f[1], f[2], f[3], f[4], f[5]};
        // A row still waiting with nobody in it as recipient came from a peer.
        row.received = row.recipient.isEmpty();
        if (!take(std::move(row)))
            break;
    }
    return result;
}

} // namespace historyfile
