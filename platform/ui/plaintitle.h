#pragma once

#include <QString>

// A window title made of text from elsewhere: "[*]" is Qt's placeholder for
// the modified mark, so a literal one is written twice.
inline QString plainTitle(QString text)
{
    return text.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}

// A tooltip made of text from elsewhere: Qt guesses whether a tip is markup,
// so the text is escaped inside a paragraph that makes it markup for sure,
// its spaces kept.
inline QString plainTip(const QString &text)
{
    if (text.isEmpty())
        return {};
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + text.toHtmlEscaped() +
           QStringLiteral("</p>");
}
