#include "optfile.h"

#include "cp932.h"
#include "fieldtext.h"

#include <functional>
#include <vector>

namespace optfile {
namespace {

QString quoted(const QString &value)
{
    return u'"' + storable(value) + u'"';
}

// Fields of the file in order, as the reader of the old program saw them: a
// field ends at a comma or a line end; a quoted field runs to the next quote.
class FieldReader
{
public:
    explicit FieldReader(QString text) : m_text(std::move(text)) {}

    bool atEnd()
    {
        skipBlanks();
        return m_pos >= m_text.size();
    }

    // Reads one field; lineEnded tells whether it closed its line.
    QString next(bool &lineEnded)
    {
        skipBlanks();
        QString value;
        if (m_pos < m_text.size() && m_text[m_pos] == u'"') {
            const qsizetype close = m_text.indexOf(u'"', m_pos + 1);
            const qsizetype end = close < 0 ? m_text.size() : close;
            value = m_text.mid(m_pos + 1, end - m_pos - 1);
            m_pos = close < 0 ? m_text.size() : close + 1;
            // Anything between the closing quote and the delimiter is dropped.
            while (m_pos < m_text.size() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
        } else {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() && !isDelimiter(m_text[m_pos]))
                ++m_pos;
            value = m_text.mid(start, m_pos - start).trimmed();
        }
        lineEnded = consumeDelimiter();
        return value;
    }

    void skipLine()
    {
        while (m_pos < m_text.size() && !isLineEnd(m_text[m_pos]))
            ++m_pos;
        consumeDelimiter();
    }

private:
    static bool isLineEnd(QChar c) { return c == u'\r' || c == u'\n'; }
    static bool isDelimiter(QChar c) { return c == u',' || isLineEnd(c); }

    void skipBlanks()
    {
        while (m_pos < m_text.size() && (m_text[m_pos] == u' ' || m_text[m_pos] == u'\t'))
            ++m_pos;
    }

    bool consumeDelimiter()
    {
        if (m_pos >= m_text.size())
            return true;
        const QChar c = m_text[m_pos++];
        if (c == u'\r' && m_pos < m_text.size() && m_text[m_pos] == u'\n')
            ++m_pos;
        return c != u',';
    }

    QString m_text;
    qsizetype m_pos = 0;
};

using Assign = std::function<bool(const QString &)>;

Assign text(QString &field)
{
    return [&field](const QString &v) {
        field = v;
        return true;
    };
}

Assign integer(int &field)
{
    return [&field](const QString &v) {
        bool ok = false;
        const int n = v.toInt(&ok);
        if (ok)
            field = n;
        return ok;
    };
}

} // namespace

QString storable(const QString &value)
{
    QString out = value;
    out.replace(u'"', u'\'');
    return out;
}

QByteArray serialise(const OptSettings &s)
{
    const QString n = QStringLiteral(",");
    const auto num = [](int v) { return QString::number(v); };
    const QStringList lines = {
        quoted(QStringLiteral("optGFile")),
        quoted(s.iconNo),
        num(s.sndConfirm) + n + num(s.sndConfirmMin) + n + num(s.rcvConfirm) + n +
            num(s.rcvConfirmMin) + n + num(s.otherReject) + n + num(s.rcvButton),
        num(s.pwCheck == 2 ? 1 : s.pwCheck) + n + quoted(s.pwStored) + n + quoted(s.pwCurrent) + n +
            quoted(s.pwNew),
        quoted(s.posCenter) + n + quoted(s.posLeftUp) + n + quoted(s.posLeftLow) + n +
            quoted(s.posRightUp) + n + quoted(s.posRightLow),
        num(s.iconRandom),
        quoted(fieldtext::pad(s.optName, fieldtext::NameWidth)) + n + num(s.autoErase),
        quoted(s.ipSetName) + n + quoted(s.ipSetAddr) + n + quoted(s.blinkIcon),
        quoted(s.fontName) + n + quoted(s.fontSize) + n + quoted(s.fontColor) + n +
            quoted(s.fontItalic) + n + quoted(s.fontBold) + n + quoted(s.fontUnderline) + n +
            quoted(s.fontStrikethru) + n + quoted(s.backColor),
    };
    QByteArray out;
    for (const QString &line : lines)
        out += cp932::encode(line) + "\r\n";
    return out;
}

ParseResult parse(const QByteArray &bytes, OptSettings &s)
{
    FieldReader reader(cp932::decode(bytes));
    bool lineEnded = false;
    if (reader.atEnd() || reader.next(lineEnded) != QLatin1String("optGFile"))
        return ParseResult::Foreign;
    if (!lineEnded)
        reader.skipLine();

    const std::vector<std::vector<Assign>> records = {
        {text(s.iconNo)},
        {integer(s.sndConfirm), integer(s.sndConfirmMin), integer(s.rcvConfirm),
         integer(s.rcvConfirmMin), integer(s.otherReject), integer(s.rcvButton)},
        {integer(s.pwCheck), text(s.pwStored), text(s.pwCurrent), text(s.pwNew)},
        {text(s.posCenter), text(s.posLeftUp), text(s.posLeftLow), text(s.posRightUp),
         text(s.posRightLow)},
        {integer(s.iconRandom)},
        {text(s.optName), integer(s.autoErase)},
        {text(s.ipSetName), text(s.ipSetAddr), text(s.blinkIcon)},
        {text(s.fontName), text(s.fontSize), text(s.fontColor), text(s.fontItalic),
         text(s.fontBold), text(s.fontUnderline), text(s.fontStrikethru), text(s.backColor)},
    };
    // Only the eight records after the identification are read; more lines
    // are ignored.
    for (const auto &record : records) {
        if (reader.atEnd())
            break;
        for (const Assign &assign : record) {
            if (reader.atEnd())
                break;
            if (!assign(reader.next(lineEnded))) {
                // A value that is not a number: the rest of this record keeps
                // what it had, and reading goes on with the next line.
                if (!lineEnded)
                    reader.skipLine();
                break;
            }
        }
    }
    s.optName = fieldtext::pad(s.optName, fieldtext::NameWidth);
    // 2 was a granted opening that older copies saved; the gate stays on.
    if (s.pwCheck == 2)
        s.pwCheck = 1;
    return ParseResult::Read;
}

} // namespace optfile
