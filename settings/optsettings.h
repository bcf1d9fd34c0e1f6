#pragma once

#include <QString>

// Every saved option, declared once: its type, its name (the key), its
// default, and its place in optGFile.dat: the record (line) it is written
// in, in this order within the record, and its form there (see optfile).
// A new option is one line here, and the dialog's control if it has one.
#define PORTANA_SAVED_OPTIONS(X)                                                                   \
    X(QString, iconNo, QStringLiteral("0"), 1, Text)                                               \
    X(bool, sndConfirm, true, 2, Number)                                                           \
    X(bool, sndConfirmMin, false, 2, Number)                                                       \
    X(bool, rcvConfirm, true, 2, Number)                                                           \
    X(bool, rcvConfirmMin, false, 2, Number)                                                       \
    X(bool, otherReject, false, 2, Number)                                                         \
    X(bool, rcvButton, false, 2, Number)                                                           \
    /* the gate is on */                                                                           \
    X(bool, pwCheck, false, 3, Gate)                                                               \
    X(QString, pwStored, QString(), 3, Text)                                                       \
    X(QString, pwCurrent, QString(), 3, Text)                                                      \
    X(QString, pwNew, QString(), 3, Text)                                                          \
    X(bool, posCenter, true, 4, TrueFalse)                                                         \
    X(bool, posLeftUp, false, 4, TrueFalse)                                                        \
    X(bool, posLeftLow, false, 4, TrueFalse)                                                       \
    X(bool, posRightUp, false, 4, TrueFalse)                                                       \
    X(bool, posRightLow, false, 4, TrueFalse)                                                      \
    X(bool, iconRandom, false, 5, Number)                                                          \
    X(QString, optName, QString(20, u' '), 6, Name)                                                \
    X(bool, autoErase, false, 6, Number)                                                           \
    X(QString, ipSetName, QString(), 7, Text)                                                      \
    X(QString, ipSetAddr, QString(), 7, Text)                                                      \
    X(bool, blinkIcon, false, 7, QuotedFlag)                                                       \
    X(QString, fontName, QString(), 8, Text)                                                       \
    X(QString, fontSize, QStringLiteral("9"), 8, Text)                                             \
    X(QString, fontColor, QStringLiteral("0"), 8, Text)                                            \
    /* Kept as written: a value that is not "True" or "False" stops the                            \
       appearance from being applied further. */                                                   \
    X(QString, fontItalic, QStringLiteral("False"), 8, Text)                                       \
    X(QString, fontBold, QStringLiteral("False"), 8, Text)                                         \
    X(QString, fontUnderline, QStringLiteral("False"), 8, Text)                                    \
    X(QString, fontStrikethru, QStringLiteral("False"), 8, Text)                                   \
    X(QString, backColor, QStringLiteral("16777215"), 8, Text)

// The one record of user preferences. On/off settings are bool; the
// settings file's own spellings of them ("1", "True") live in optfile.
struct OptSettings
{
#define PORTANA_DECLARE_OPTION(type, name, fallback, record, form) type name = fallback;
    PORTANA_SAVED_OPTIONS(PORTANA_DECLARE_OPTION)
#undef PORTANA_DECLARE_OPTION

    // The display name field is always exactly 20 characters.
    void setOptName(const QString &name);
    bool hasDisplayName() const;

    bool operator==(const OptSettings &) const = default;
};

// "True" is on, anything else off.
inline bool isTrue(const QString &flag)
{
    return flag == QLatin1String("True");
}
