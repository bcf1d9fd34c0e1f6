#include "windowplacement.h"

#include "placement.h"
#include "twips.h"

#include <QScreen>
#include <QWidget>
#include <cmath>

void placeWidget(QWidget *window, const OptSettings &settings)
{
    QScreen *screen = twips::screenOf(window);
    if (!screen)
        return;
    const QSize frame = window->frameGeometry().size();
    const QSize screenPx = screen->geometry().size();
    const auto at = placeWindow(
        settings,
        {twips::fromPixelsX(frame.width(), screen), twips::fromPixelsY(frame.height(), screen)},
        {twips::fromPixelsX(screenPx.width(), screen),
         twips::fromPixelsY(screenPx.height(), screen)});
    if (!at)
        return;
    window->move(screen->geometry().topLeft() +
                 QPoint(int(std::floor(at->x() * screen->logicalDotsPerInchX() / 1440.0)),
                        int(std::floor(at->y() * screen->logicalDotsPerInchY() / 1440.0))));
}
