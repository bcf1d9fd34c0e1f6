#include "placement.h"

std::optional<QPointF> placeWindow(const OptSettings &s, QSizeF window, QSizeF screen)
{
    const double w = window.width(), h = window.height();
    const double sw = screen.width(), sh = screen.height();
    std::optional<QPointF> at; // x = left, y = top
    if (s.posCenter)
        at = QPointF(sw / 2 - w / 2, sh / 2 - h / 2);
    if (s.posRightUp)
        at = QPointF(sw - w, 0);
    if (s.posRightLow)
        at = QPointF(sw - w, sh - h - 400);
    if (s.posLeftUp)
        at = QPointF(0, 0);
    if (s.posLeftLow)
        at = QPointF(0, sh - h - 400);
    return at;
}
