#include "testprogram.h"

#include "traycontroller.h"
#include "udpdatagramport.h"

#include <QAction>
#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <QUdpSocket>

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

void TestProgram::receive(const QByteArray &bytes, const QString &from)
{
    if (port) {
        port->feed(bytes, from);
        return;
    }
    QSignalSpy drained(&part<UdpDatagramPort>(*program), &DatagramPort::drained);
    QUdpSocket peer;
    if (!peer.bind(QHostAddress(from), 0) ||
        peer.writeDatagram(bytes, env.bindAddress, env.port) != bytes.size())
        qFatal("could not send from %s", qPrintable(from));
    if (!drained.wait())
        qFatal("the program did not read the datagram from %s", qPrintable(from));
}

void choose(Program &p, const char *action)
{
    control<QAction>(part<TrayController>(p).menu(), action)->trigger();
}
