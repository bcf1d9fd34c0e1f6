// A notification server for the end-to-end tests: owns
// org.freedesktop.Notifications on the session bus, writes each Notify call
// to a file (app name, summary and body, tab-separated, one line each) and,
// when NOTIFYD_ACTIVATE is set, activates the notification half a second
// later, as a user's click would.
#include <QCoreApplication>
#include <QDBusConnection>
#include <QFile>
#include <QTimer>
#include <QVariantMap>
#include <cstdio>

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

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    Server server(QString::fromLocal8Bit(argv[1]));
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &server,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !bus.registerService(QStringLiteral("org.freedesktop.Notifications"))) {
        std::fprintf(stderr, "notifyd: cannot own the service\n");
        return 1;
    }
    std::printf("ready\n");
    std::fflush(stdout);
    return app.exec();
}

#include "notifyd.moc"
