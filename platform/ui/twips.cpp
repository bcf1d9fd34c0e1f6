#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

namespace twips {
namespace {

const QScreen *orPrimary(const QScreen *screen)
{
    return screen ? screen : QGuiApplication::primaryScreen();
}

double dpiX(const QScreen *screen)
{
    const QScreen *s = orPrimary(screen);
    return s ? s->logicalDotsPerInchX() : 96.0;
}

double dpiY(const QScreen *screen)
{
    const QScreen *s = orPrimary(screen);
    return s ? s->logicalDotsPerInchY() : 96.0;
}

} // namespace

int toPixelsX(double tw, const QScreen *screen)
{
    return int(std::lround(tw * dpiX(screen) / PerInch));
}

int toPixelsY(double tw, const QScreen *screen)
{
    return int(std::lround(tw * dpiY(screen) / PerInch));
}

double fromPixelsX(int px, const QScreen *screen)
{
    return px * PerInch / dpiX(screen);
}

double fromPixelsY(int px, const QScreen *screen)
{
    return px * PerInch / dpiY(screen);
}

QSize toPixels(double width, double height, const QScreen *screen)
{
    return {toPixelsX(width, screen), toPixelsY(height, screen)};
}

QRect toPixels(const QRectF &tw, const QScreen *screen)
{
    return QRect(toPixelsX(tw.x(), screen), toPixelsY(tw.y(), screen),
                 toPixelsX(tw.width(), screen), toPixelsY(tw.height(), screen));
}

QScreen *screenOf(const QWidget *widget)
{
    if (widget && widget->screen())
        return widget->screen();
    return QGuiApplication::primaryScreen();
}

} // namespace twips
