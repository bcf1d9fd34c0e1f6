#pragma once

#include "fakes.h"
#include "program.h"

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
};
