#include "historyfile.h"

#include "cp932.h"

namespace historyfile {
namespace {

QString quoted(const QString &text)
{
    QString out = text;
    out.replace(u'"', u'\'');
    return u'"' + out + u'"';
}

// Reads one field after another from the decoded file.
class FieldReader
{
public:
    explicit FieldReader(QStringView text) : m_text(text) {}

    // The next field, or nothing at the end of the data.
    std::optional<QString> next()
    {
        // Blanks before a field; a line end before it ends an empty record
        // line, and the field is the next one.
        while (m_at < m_text.size() && (m_text[m_at] == u' ' || m_text[m_at] == u'\t' ||
                                        (m_afterSeparator == false && isLineEnd(m_text[m_at]))))
            ++m_at;
        if (m_at >= m_text.size())
            return std::nullopt;
        QString field;
        if (m_text[m_at] == u'"') {
            const qsizetype close = m_text.indexOf(u'"', m_at + 1);
            const qsizetype end = close < 0 ? m_text.size() : close;
            field = m_text.mid(m_at + 1, end - m_at - 1).toString();
            m_at = close < 0 ? end : end + 1;
            m_unclosed = m_unclosed || close < 0;
        } else if (m_text[m_at] == u'#') {
            // A date or time literal: read as text, never used.
            const qsizetype close = m_text.indexOf(u'#', m_at + 1);
            const qsizetype end = close < 0 ? m_text.size() : close + 1;
            field = m_text.mid(m_at, end - m_at).toString();
            m_at = end;
            m_unclosed = m_unclosed || close < 0;
        } else {
            qsizetype end = m_at;
            while (end < m_text.size() && m_text[end] != u',' && !isLineEnd(m_text[end]))
                ++end;
            field = m_text.mid(m_at, end - m_at).toString().trimmed();
            m_at = end;
        }
        // Whatever follows up to the separator (text after a closing
        // quote) is passed over; the separator ends the field.
        while (m_at < m_text.size() && m_text[m_at] != u',' && !isLineEnd(m_text[m_at]))
            ++m_at;
        m_afterSeparator = m_at < m_text.size() && m_text[m_at] == u',';
        if (m_at < m_text.size()) {
            if (m_text[m_at] == u'\r' && m_at + 1 < m_text.size() && m_text[m_at + 1] == u'\n')
                ++m_at;
            ++m_at;
        }
        return field;
    }

    // A quote or number sign ran to the end of the data.
    bool unclosed() const { return m_unclosed; }

private:
    static bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }

    QStringView m_text;
    qsizetype m_at = 0;
    bool m_afterSeparator = false;
    bool m_unclosed = false;
};

} // namespace

QByteArray write(const HistoryModel &history, const QDateTime &now, const QString &statusText)
{
    QString text;
    const int n = history.rowCount(); // taken once
    text.reserve(64 + n * 64);
    text += quoted(QString::fromLatin1(Signature)) + u',' +
            now.date().toString(QStringLiteral("#yyyy-MM-dd#")) + u',' +
            now.time().toString(QStringLiteral("#HH:mm:ss#")) + u',' + quoted(statusText) +
            QStringLiteral("\r\n");
    for (int r = 1; r <= n; ++r) {
        const HistoryRow &row = history.row(r);
        for (const QString *field : {&row.date, &row.sender, &row.recipient, &row.sendTime,
                                     &row.receiveTime, &row.message}) {
            if (field != &row.date)
                text += u',';
            text += quoted(*field);
        }
        text += QStringLiteral("\r\n");
    }
    return cp932::encode(text);
}

QStringList fields(QByteArrayView bytes)
{
    const QString text = cp932::decode(bytes);
    FieldReader reader(text);
    QStringList out;
    while (auto field = reader.next())
        out << *field;
    return out;
}

ReadResult read(QByteArrayView bytes)
{
    ReadResult result;
    const QString text = cp932::decode(bytes);
    FieldReader fields(text);
    const auto signature = fields.next();
    if (!signature || *signature != QLatin1String(Signature))
        return result;
    result.isHistory = true;
    const auto cut = [&result] {
        result.cutShort = true;
        result.rows.clear();
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
        HistoryRow row{f[0], f[1], f[2], f[3], f[4], f[5]};
        // A row still waiting with nobody in it as recipient came from a peer.
        row.received = row.recipient.isEmpty();
        result.rows.push_back(std::move(row));
    }
    return result;
}

} // namespace historyfile
