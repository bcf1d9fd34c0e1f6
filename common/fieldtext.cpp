#include "fieldtext.h"

namespace fieldtext {

QString pad(QStringView text, int width)
{
    QString out = text.left(width).toString();
    if (out.size() < width)
        out.append(QString(width - out.size(), u' '));
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

bool isBlank(QStringView text)
{
    for (QChar c : text)
        if (c != u' ')
            return false;
    return true;
}

QString timeText(const QDateTime &when)
{
    return when.time().toString(QStringLiteral("HH:mm:ss"));
}

QString dateText(const QDateTime &when)
{
    return when.date().toString(QStringLiteral("yy/MM/dd"));
}

} // namespace fieldtext
