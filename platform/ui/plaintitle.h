#pragma once

#include <QString>

// A window title made of text from elsewhere: "[*]" is Qt's placeholder for
// the modified mark, so a literal one is written twice.
inline QString plainTitle(QString text)
{
    return text.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
}
