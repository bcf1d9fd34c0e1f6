#pragma once

#include "control.h"
#include "fakes.h"
#include "program.h"
#include "windows.h"

#include <QApplication>
#include <QTemporaryDir>
#include <memory>

// A whole copy of the program with a test environment: its own settings
// folder, clock, dialogs, tray and login name, bound to one loopback address.
struct TestProgram
{
    // recording: datagrams go to a RecordingPort instead of real sockets.
    explicit TestProgram(const QString &address, const QString &broadcast = QString(),
                         bool recording = false);

    QTemporaryDir folder;
    FakeClock clock;
    ScriptedDialogs dialogs;
    FakeSystemInfo systemInfo;
    FakeTrayHost tray;
    FakeInstanceGuard guard;
    FakeNotifier notifier;
    std::unique_ptr<RecordingPort> port;
    Environment env;
    std::unique_ptr<Program> program;

    // Builds the program now (after the test has set up the environment).
    Program &make();
    // Builds and starts it; true when it runs.
    bool start() { return make().start() == Program::StartResult::Running; }
    Program &operator*() { return *program; }
    // Writes optGFile.dat before start-up.
    void writeSettings(const QByteArray &bytes);
    // A datagram from a peer at from, through the program's port: fed to the
    // recording port, or sent over loopback and read before this returns.
    void receive(const QByteArray &bytes, const QString &from);
};

// A part of a running copy, found in its object tree by type.
template <typename T> T &part(Program &p)
{
    T *found = p.findChild<T *>(QString(), Qt::FindDirectChildrenOnly);
    if (!found)
        qFatal("the program has no %s", T::staticMetaObject.className());
    return *found;
}

inline Windows &windows(Program &p)
{
    return part<Windows>(p);
}

// A choice from the tray menu, as the user makes it.
void choose(Program &p, const char *action);

// The window of that type on screen or hidden, as the desktop lists it;
// none when it is not there (a closed result window is gone).
template <typename T> T *topLevel()
{
    for (QWidget *w : QApplication::topLevelWidgets())
        if (auto *found = qobject_cast<T *>(w))
            return found;
    return nullptr;
}
