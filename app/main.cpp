#include "commandline.h"
#include "dbuslauncherbadge.h"
#include "dbusnotifier.h"
#include "dbusscreenlock.h"
#include "dbusscripting.h"
#include "hostsysteminfo.h"
#include "lockfileinstanceguard.h"
#include "netinterfaces.h"
#include "netlinkwatcher.h"
#include "program.h"
#include "programwiring.h"
#include "qtdialogs.h"
#include "qttrayhost.h"
#include "statefolder.h"
#include "systemclock.h"
#include "terminationwatcher.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTextStream>
#include <QTranslator>

namespace {

// Every text of the program is Japanese: Qt's own (standard buttons, the
// file, colour and font choosers) are too, whatever the locale.
void loadQtJapanese(QApplication &app)
{
    auto *qt = new QTranslator(&app);
    if (qt->load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
}

// The command line is answered before anything is opened: no window, no
// socket, no display; a client reaches the running copy over the session bus.
int answerCommandLine(int argc, char *argv[], const commandline::Command &command)
{
    QTextStream in(stdin), out(stdout), err(stderr);
    const QString version = QStringLiteral(PORTANA_VERSION);
    if (!commandline::isClient(command))
        return commandline::run(command, nullptr, in, out, err, version);
    QCoreApplication app(argc, argv);
    DBusScriptClient client;
    return commandline::run(command, &client, in, out, err, version);
}

} // namespace

int main(int argc, char *argv[])
{
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const commandline::Command command = commandline::parse(args);
    if (command.kind != commandline::Command::Kind::Start)
        return answerCommandLine(argc, argv, command);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("portana"));
    // Ties the windows to the desktop entry (Wayland's app id; X11 matches
    // the entry's StartupWMClass).
    QGuiApplication::setDesktopFileName(QStringLiteral("jp.portana.Portana"));
    loadQtJapanese(app);
    QApplication::setQuitOnLastWindowClosed(false);

    SystemClock clock;
    QtDialogs dialogs;
    HostSystemInfo systemInfo;
    QtTrayHost tray;
    LockFileInstanceGuard guard;

    Environment env;
    env.settingsFolder = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    env.programFolder = QCoreApplication::applicationDirPath();
    for (const QString &dir :
         QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation)
             .mid(1)) // the first is the user's own
        env.systemSettingsFiles << dir + QStringLiteral("/portana/portana.ini");
    env.autostartFolder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
                          QStringLiteral("/autostart");
    env.programPath = QCoreApplication::applicationFilePath();
    env.stateFolder = stateFolder();
    env.filesPort = env.port;
    // $XDG_DOWNLOAD_DIR (from user-dirs.dirs), else ~/Downloads.
    env.downloadFolder = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation) +
                         QStringLiteral("/portana");
    env.clock = &clock;
    env.dialogs = &dialogs;
    env.systemInfo = &systemInfo;
    env.tray = &tray;
    env.instanceGuard = &guard;
    env.interfaces = hostInterfaces;
    DBusNotifier notifier;
    env.notifier = &notifier;
    DBusScriptHost scripts;
    env.scripts = &scripts;
    NetlinkWatcher network;
    env.network = &network;
    DBusScreenLock screenLock;
    env.screenLock = &screenLock;
    DBusLauncherBadge badge;
    env.badge = &badge;

    Program program(env);
    TerminationWatcher watcher;
    wiring::session(app, program, watcher);

    switch (program.start()) {
    case Program::StartResult::Running:
        break;
    case Program::StartResult::Ended:
        return 0;
    case Program::StartResult::AlreadyRunning:
        return 1;
    case Program::StartResult::LockFailed:
        return 4;
    case Program::StartResult::PortInUse:
        return 2;
    case Program::StartResult::PortFailed:
        return 2;
    }
    return app.exec();
}
