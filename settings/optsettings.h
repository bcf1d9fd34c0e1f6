#pragma once

#include <QString>

// The one record of user preferences, held as the settings file stores them.
struct OptSettings
{
    QString iconNo = QStringLiteral("0");
    int sndConfirm = 1;
    int sndConfirmMin = 0;
    int rcvConfirm = 1;
    int rcvConfirmMin = 0;
    int otherReject = 0;
    int rcvButton = 0;
    int pwCheck = 0;
    QString pwStored;
    QString pwCurrent;
    QString pwNew;
    QString posCenter = QStringLiteral("True");
    QString posLeftUp = QStringLiteral("False");
    QString posLeftLow = QStringLiteral("False");
    QString posRightUp = QStringLiteral("False");
    QString posRightLow = QStringLiteral("False");
    int iconRandom = 0;
    QString optName = QString(20, u' ');
    int autoErase = 0;
    QString ipSetName;
    QString ipSetAddr;
    QString blinkIcon = QStringLiteral("0");
    QString fontName;
    QString fontSize = QStringLiteral("9");
    QString fontColor = QStringLiteral("0");
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
