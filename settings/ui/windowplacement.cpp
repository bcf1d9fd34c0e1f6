#include "windowplacement.h"

#include "placement.h"
#include "twips.h"

#include <QScreen>
#include <QWidget>

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
                 QPoint(twips::toPixelsX(at->x(), screen), twips::toPixelsY(at->y(), screen)));
}

void showPlaced(QWidget *window, const OptSettings &settings, bool fit, bool activate)
{
    if (fit)
        window->adjustSize();
    if (!(window->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        placeWidget(window, settings);
    window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
    window->show();
    if (!activate)
        return;
    window->raise();
    window->activateWindow();
}
