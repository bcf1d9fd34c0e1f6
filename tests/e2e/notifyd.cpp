// The desktop's services for the end-to-end tests, on the session bus:
// - org.freedesktop.Notifications: writes each Notify call to a file (app
//   name, summary and body, tab-separated, one line each) and, when
//   NOTIFYD_ACTIVATE is set, activates the notification half a second
//   later, as a user's click would;
// - org.freedesktop.ScreenSaver: locked and unlocked by the lines "lock" and
//   "unlock" on standard input, gone with "vanish" (a screensaver that
//   ends); each line is answered "ok" once done.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QSocketNotifier>
#include <QTimer>
#include <QVariantMap>
#include <cstdio>
#include <unistd.h>

class Server : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    explicit Server(QString record) : m_record(std::move(record)) {}

public slots:
    uint Notify(const QString &app, uint, const QString &, const QString &summary,
                const QString &body, const QStringList &, const QVariantMap &, int)
    {
        QFile file(m_record);
        if (file.open(QIODevice::Append)) {
            file.write((app + u'\t' + summary + u'\t' + body + u'\n').toUtf8());
        }
        const uint id = ++m_id;
        if (qEnvironmentVariableIsSet("NOTIFYD_ACTIVATE"))
            QTimer::singleShot(500, this,
                               [this, id] { emit ActionInvoked(id, QStringLiteral("default")); });
        return id;
    }
    QStringList GetCapabilities() { return {QStringLiteral("body"), QStringLiteral("actions")}; }
    void CloseNotification(uint) {}

signals:
    void ActionInvoked(uint id, const QString &action);
    void NotificationClosed(uint id, uint reason);

private:
    QString m_record;
    uint m_id = 0;
};

class ScreenSaver : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    void set(bool active)
    {
        m_active = active;
        emit ActiveChanged(active);
    }

public slots:
    bool GetActive() { return m_active; }

signals:
    void ActiveChanged(bool active);

private:
    bool m_active = false;
};

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    Server server(QString::fromLocal8Bit(argv[1]));
    ScreenSaver screenSaver;
    QDBusConnection bus = QDBusConnection::sessionBus();
    const auto exported = QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals;
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server, exported) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications")) ||
        !bus.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver,
                            exported) ||
        !bus.registerService(QStringLiteral("org.freedesktop.ScreenSaver"))) {
        std::fprintf(stderr, "notifyd: cannot own the services\n");
        return 1;
    }
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&] {
        char line[64];
        if (!std::fgets(line, sizeof line, stdin)) {
            input.setEnabled(false); // the test is done with it
            return;
        }
        const QByteArray command = QByteArray(line).trimmed();
        if (command == "lock" || command == "unlock")
            screenSaver.set(command == "lock");
        else if (command == "vanish")
            bus.unregisterService(QStringLiteral("org.freedesktop.ScreenSaver"));
        std::printf("ok\n");
        std::fflush(stdout);
    });
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "notifyd.moc"
