#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

#include "netinterfaces.h"

class Clock;
class DatagramPort;
class Dialogs;
class InstanceGuard;
class LauncherBadge;
class Notifier;
class ScreenLock;
class ScriptHost;
class SystemInfo;
class NetworkWatcher;
class TrayHost;

// Everything a copy of the program takes from its surroundings. The real
// program fills it from the system; a test fills it with doubles.
struct Environment
{
    // The user's configuration folder, and the executable's (where a
    // portable copy of the settings may stand; empty: none is looked for).
    QString settingsFolder;
    QString programFolder;
    // portana.ini files an office hands out (XDG_CONFIG_DIRS), most important first.
    QStringList systemSettingsFiles;
    // The user's autostart folder, and the executable an entry there starts.
    QString autostartFolder;
    QString programPath;
    // Where the history and the waiting messages are kept; empty: in memory only.
    QString stateFolder;
    QHostAddress bindAddress = QHostAddress(QHostAddress::AnyIPv4);
    quint16 port = 50319;
    QString broadcastAddress = QStringLiteral("255.255.255.255");
    // Where files come and go (TCP; the real program takes port's number);
    // 0: this copy takes and offers no files.
    quint16 filesPort = 0;
    // Where received files are saved unless the user chose a folder.
    QString downloadFolder;
    Clock *clock = nullptr;
    Dialogs *dialogs = nullptr;
    SystemInfo *systemInfo = nullptr;
    TrayHost *tray = nullptr;
    InstanceGuard *instanceGuard = nullptr;
    // Optional: desktop notifications, used where there is no tray.
    Notifier *notifier = nullptr;
    // Optional: where other programs reach the running copy.
    ScriptHost *scripts = nullptr;
    // Optional: news of network changes; each searches again.
    NetworkWatcher *network = nullptr;
    // Optional: whether the screen is locked (an away note while it is).
    ScreenLock *screenLock = nullptr;
    // Optional: the count of waiting messages on the launcher.
    LauncherBadge *badge = nullptr;
    // Optional: a datagram port of the test's own; otherwise a real one.
    DatagramPort *port_ = nullptr;
    // Optional: 0 to 9 for the random icon set.
    std::function<int()> random10;
    // Optional: the network cards a search goes through besides the broadcast.
    std::function<std::vector<NetInterface>()> interfaces;
};
