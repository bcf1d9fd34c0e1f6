#include "appearance.h"

#include "optsettings.h"

#include <QAbstractItemView>
#include <QWidget>

namespace {

std::optional<bool> flag(const QString &text)
{
    if (text == QLatin1String("True"))
        return true;
    if (text == QLatin1String("False"))
        return false;
    return std::nullopt;
}

} // namespace

std::optional<QColor> Appearance::colorFromSetting(const QString &text)
{
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    if (!ok || v < 0 || v > 0xFFFFFF)
        return std::nullopt;
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

QString Appearance::settingFromColor(const QColor &color)
{
    return QString::number(color.red() | (color.green() << 8) | (color.blue() << 16));
}

Appearance Appearance::fromSettings(const OptSettings &s)
{
    Appearance a;
    a.family = s.fontName;
    bool ok = false;
    const double size = s.fontSize.trimmed().toDouble(&ok);
    if (!ok || size <= 0)
        return a;
    a.pointSize = size;
    if (!(a.textColor = colorFromSetting(s.fontColor)))
        return a;
    if (!(a.italic = flag(s.fontItalic)))
        return a;
    if (!(a.bold = flag(s.fontBold)))
        return a;
    if (!(a.underline = flag(s.fontUnderline)))
        return a;
    if (!(a.strikeOut = flag(s.fontStrikethru)))
        return a;
    a.background = colorFromSetting(s.backColor);
    return a;
}

void Appearance::applyTo(const QList<QWidget *> &targets) const
{
    for (QWidget *target : targets) {
        if (!target)
            continue;
        QFont font = target->font();
        if (family && !family->isEmpty())
            font.setFamily(*family);
        if (pointSize)
            font.setPointSizeF(*pointSize);
        if (italic)
            font.setItalic(*italic);
        if (bold)
            font.setBold(*bold);
        if (underline)
            font.setUnderline(*underline);
        if (strikeOut)
            font.setStrikeOut(*strikeOut);
        target->setFont(font);

        QPalette palette = target->palette();
        if (textColor) {
            palette.setColor(QPalette::Text, *textColor);
            palette.setColor(QPalette::WindowText, *textColor);
        }
        if (background)
            palette.setColor(QPalette::Base, *background);
        target->setPalette(palette);
        if (auto *view = qobject_cast<QAbstractItemView *>(target))
            view->viewport()->setPalette(palette);
    }
}
