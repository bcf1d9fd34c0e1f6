#include "qttrayhost.h"

#include <QApplication>

QtTrayHost::QtTrayHost(QObject *parent) : TrayHost(parent)
{
    // Qt reports presses: Trigger is the left button going down, Context the
    // right one; a double click arrives after the press it began with.
    connect(&m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                switch (reason) {
                case QSystemTrayIcon::Trigger:
                    emit event(Event::LeftButtonDown);
                    break;
                case QSystemTrayIcon::Context:
                    emit event(Event::RightButtonDown);
                    break;
                default:
                    emit event(Event::Other);
                    break;
                }
            });
}

bool QtTrayHost::available() const
{
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTrayHost::add(const QIcon &icon, const QString &tip)
{
    m_icon.setIcon(icon);
    m_icon.setToolTip(tip.toHtmlEscaped());
    m_icon.show();
}

void QtTrayHost::modify(const QIcon &icon)
{
    m_icon.setIcon(icon);
}

void QtTrayHost::remove()
{
    m_icon.hide();
}

void QtTrayHost::demandAttention(QWidget *window)
{
    QApplication::alert(window);
}
