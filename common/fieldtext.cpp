#include "fieldtext.h"

namespace fieldtext {

QString pad(QStringView text, int width)
{
    // The width counts characters as a peer reads them: a surrogate pair is
    // one character (one '?' on the wire), and is never cut in half.
    qsizetype units = 0;
    int chars = 0;
    while (units < text.size() && chars < width) {
        const bool pair = text[units].isHighSurrogate() && units + 1 < text.size() &&
                          text[units + 1].isLowSurrogate();
        units += pair ? 2 : 1;
        ++chars;
    }
    QString out = text.left(units).toString();
    out.append(QString(width - chars, u' '));
    return out;
}

QStringView field(QStringView text, int pos, int width)
{
    const qsizetype start = pos - 1;
    if (start < 0 || start >= text.size() || width <= 0)
        return {};
    return text.mid(start, width);
}

QStringView tail(QStringView text, int pos)
{
    const qsizetype start = pos - 1;
    if (start < 0 || start >= text.size())
        return {};
    return text.mid(start);
}

QString shortName(QStringView field)
{
    const qsizetype space = field.indexOf(u' ');
    if (space < 0)
        return {};
    return field.left(space + 1).toString();
}

int rowNumber(QStringView field)
{
    const qsizetype space = field.indexOf(u' ');
    if (space < 0)
        return 0; // eight digits fill the field: no row
    const QStringView digits = field.left(space);
    if (digits.isEmpty())
        return 0;
    for (QChar c : digits)
        if (c < u'0' || c > u'9')
            return 0;
    bool ok = false;
    const int n = digits.toInt(&ok);
    return ok ? n : 0;
}

QString crlf(QStringView text)
{
    QString out = text.toString();
    out.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(u'\n', QStringLiteral("\r\n"));
    return out;
}

bool hasControl(QStringView text)
{
    for (QChar c : text)
        if (c.category() == QChar::Other_Control && c != u'\t' && c != u'\r' && c != u'\n')
            return true;
    return false;
}

bool isUnprintable(QChar c)
{
    const char16_t u = c.unicode();
    return u < 0x20 || (u >= 0x7f && u <= 0x9f) || c == QChar::LineSeparator ||
           c == QChar::ParagraphSeparator;
}

QString unprintablesAsSpaces(QString text)
{
    for (QChar &c : text)
        if (isUnprintable(c))
            c = u' ';
    return text;
}

bool isBlank(QStringView text)
{
    for (QChar c : text)
        if (c != u' ')
            return false;
    return true;
}

namespace {

// Three two-digit numbers joined by sep; written out by hand because every
// history row takes one or two of these.
QString threePairs(int a, int b, int c, char16_t sep)
{
    const auto digit = [](int v) { return QChar(char16_t(u'0' + v)); };
    const QChar out[8] = {digit(a / 10 % 10), digit(a % 10), QChar(sep),    digit(b / 10),
                          digit(b % 10),      QChar(sep),    digit(c / 10), digit(c % 10)};
    return QString(out, 8);
}

} // namespace

QString timeText(const QDateTime &when)
{
    const QTime t = when.time();
    return threePairs(t.hour(), t.minute(), t.second(), u':');
}

QString dateText(const QDateTime &when)
{
    const QDate d = when.date();
    return threePairs(d.year() % 100, d.month(), d.day(), u'/');
}

} // namespace fieldtext
