#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QScreen;
class QWidget;

// Geometry the program states in twips (1440 per inch), converted at the
// screen's logical DPI.
namespace twips {

constexpr double PerInch = 1440.0;

int toPixelsX(double tw, const QScreen *screen = nullptr);
int toPixelsY(double tw, const QScreen *screen = nullptr);
double fromPixelsX(int px, const QScreen *screen = nullptr);
double fromPixelsY(int px, const QScreen *screen = nullptr);
QSize toPixels(double width, double height, const QScreen *screen = nullptr);
QRect toPixels(const QRectF &tw, const QScreen *screen = nullptr);

// The screen a widget is on, or the primary screen.
QScreen *screenOf(const QWidget *widget);

} // namespace twips
