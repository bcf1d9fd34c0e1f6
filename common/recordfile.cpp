#include "recordfile.h"

#include "cp932.h"

namespace recordfile {
namespace {

bool isLineEnd(QChar c)
{
    return c == u'\r' || c == u'\n';
}

bool isSeparator(QChar c)
{
    return c == u',' || isLineEnd(c);
}

} // namespace

QString quoted(const QString &value)
{
    QString out = value;
    out.replace(u'"', u'\'');
    return u'"' + out + u'"';
}

QByteArray encodeLines(const QStringList &lines)
{
    QString text;
    for (const QString &line : lines)
        text += line + QStringLiteral("\r\n");
    return cp932::encode(text);
}

Reader::Reader(QString text, Dialect dialect) : m_text(std::move(text)), m_dialect(dialect) {}

void Reader::skipBlanks()
{
    while (m_at < m_text.size()) {
        const QChar c = m_text[m_at];
        if (!(c == u' ' || c == u'\t' ||
              (m_dialect.skipEmptyLines && !m_afterComma && isLineEnd(c))))
            break;
        ++m_at;
    }
}

bool Reader::atEnd()
{
    skipBlanks();
    return m_at >= m_text.size();
}

std::optional<QString> Reader::next()
{
    if (atEnd())
        return std::nullopt;
    QString field;
    const QChar first = m_text[m_at];
    const QChar close =
        first == u'"' || (m_dialect.dateLiterals && first == u'#') ? first : QChar();
    if (!close.isNull()) {
        const qsizetype end = m_text.indexOf(close, m_at + 1);
        m_unclosed = m_unclosed || end < 0;
        const qsizetype stop = end < 0 ? m_text.size() : end;
        // A quoted field is its inside; a date literal keeps its signs.
        field = close == u'"' ? m_text.mid(m_at + 1, stop - m_at - 1)
                              : m_text.mid(m_at, std::min(stop + 1, m_text.size()) - m_at);
        m_at = end < 0 ? stop : stop + 1;
    } else {
        const qsizetype start = m_at;
        while (m_at < m_text.size() && !isSeparator(m_text[m_at]))
            ++m_at;
        field = m_text.mid(start, m_at - start).trimmed();
    }
    while (m_at < m_text.size() && !isSeparator(m_text[m_at]))
        ++m_at;
    m_lineEnded = consumeSeparator();
    return field;
}

bool Reader::consumeSeparator()
{
    m_afterComma = false;
    if (m_at >= m_text.size())
        return true;
    const QChar c = m_text[m_at++];
    if (c == u'\r' && m_at < m_text.size() && m_text[m_at] == u'\n')
        ++m_at;
    m_afterComma = c == u',';
    return !m_afterComma;
}

void Reader::skipLine()
{
    while (m_at < m_text.size() && !isLineEnd(m_text[m_at]))
        ++m_at;
    consumeSeparator();
}

QStringList fields(QString text, Dialect dialect)
{
    Reader reader(std::move(text), dialect);
    QStringList out;
    while (auto field = reader.next())
        out << *field;
    return out;
}

} // namespace recordfile
