#pragma once

#include <QString>

// The one record of user preferences. On/off settings are bool; the
// settings file's own spellings of them ("1", "True") live in optfile.
struct OptSettings
{
    QString iconNo = QStringLiteral("0");
    bool sndConfirm = true;
    bool sndConfirmMin = false;
    bool rcvConfirm = true;
    bool rcvConfirmMin = false;
    bool otherReject = false;
    bool rcvButton = false;
    bool pwCheck = false; // the gate is on
    QString pwStored;
    QString pwCurrent;
    QString pwNew;
    bool posCenter = true;
    bool posLeftUp = false;
    bool posLeftLow = false;
    bool posRightUp = false;
    bool posRightLow = false;
    bool iconRandom = false;
    QString optName = QString(20, u' ');
    bool autoErase = false;
    QString ipSetName;
    QString ipSetAddr;
    bool blinkIcon = false;
    QString fontName;
    QString fontSize = QStringLiteral("9");
    QString fontColor = QStringLiteral("0");
    // Kept as written: a value that is not "True" or "False" stops the
    // appearance from being applied further.
    QString fontItalic = QStringLiteral("False");
    QString fontBold = QStringLiteral("False");
    QString fontUnderline = QStringLiteral("False");
    QString fontStrikethru = QStringLiteral("False");
    QString backColor = QStringLiteral("16777215");

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
