// The yardstick for start-up: a bare Qt program that only shows a tray icon
// and binds the program's UDP port.
#include <QApplication>
#include <QPainter>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QUdpSocket>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QUdpSocket socket;
    if (!socket.bind(QHostAddress(QHostAddress::AnyIPv4), 50319))
        return 2;
    QPixmap picture(32, 32);
    picture.fill(Qt::darkRed);
    QSystemTrayIcon icon{QIcon(picture)};
    icon.show();
    return app.exec();
}
