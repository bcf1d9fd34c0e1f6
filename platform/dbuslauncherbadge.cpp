#include "dbuslauncherbadge.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

void DBusLauncherBadge::show(int count)
{
    if (count == m_shown)
        return;
    m_shown = count;
    // The launcher is named by the desktop entry the program installs.
    QDBusMessage update = QDBusMessage::createSignal(
        QStringLiteral("/jp/portana/Portana/LauncherEntry"),
        QStringLiteral("com.canonical.Unity.LauncherEntry"), QStringLiteral("Update"));
    update.setArguments({QStringLiteral("application://jp.portana.Portana.desktop"),
                         QVariantMap{{QStringLiteral("count"), qint64(count)},
                                     {QStringLiteral("count-visible"), count > 0}}});
    QDBusConnection::sessionBus().send(update);
}
