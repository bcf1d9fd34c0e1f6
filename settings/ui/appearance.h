#pragma once

#include <QColor>
#include <QFont>
#include <QList>
#include <optional>

class QWidget;
struct OptSettings;

// The font and colours of the message boxes and the user list.
struct Appearance
{
    // Each value is set only when it and every one before it converted: a
    // setting that does not convert stops the conversion there.
    std::optional<QString> family;
    std::optional<double> pointSize;
    std::optional<QColor> textColor;
    std::optional<bool> italic;
    std::optional<bool> bold;
    std::optional<bool> underline;
    std::optional<bool> strikeOut;
    std::optional<QColor> background;

    static Appearance fromSettings(const OptSettings &settings);
    // A colour as the settings store it: 24 bits, red in the low byte.
    static std::optional<QColor> colorFromSetting(const QString &text);
    static QString settingFromColor(const QColor &color);

    // Applies to each target in turn, as far as the values go.
    void applyTo(const QList<QWidget *> &targets) const;
};
