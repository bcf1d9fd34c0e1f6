#include "testprogram.h"

#include <QFile>

TestProgram::TestProgram(const QString &address, const QString &broadcast, bool recording)
{
    env.settingsFolder = folder.path();
    env.autostartFolder = folder.filePath(QStringLiteral("autostart"));
    env.programPath = QStringLiteral("/opt/ぽるとな～ 1/portana");
    env.bindAddress = QHostAddress(address);
    env.broadcastAddress = broadcast.isEmpty() ? address : broadcast;
    env.clock = &clock;
    env.dialogs = &dialogs;
    env.systemInfo = &systemInfo;
    env.tray = &tray;
    env.instanceGuard = &guard;
    env.notifier = &notifier;
    if (recording)
        port = std::make_unique<RecordingPort>();
    env.port_ = port.get();
}

Program &TestProgram::make()
{
    program = std::make_unique<Program>(env);
    return *program;
}

void TestProgram::writeSettings(const QByteArray &bytes)
{
    QFile f(folder.filePath(QStringLiteral("optGFile.dat")));
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}
