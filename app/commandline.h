#pragma once

#include <QString>
#include <QStringList>

class QTextStream;
class ScriptClient;

// The command line: start the copy, or tell the running one to send, list
// or search (a client, never a second copy), or answer --help/--version.
namespace commandline {

// Exit statuses of a client.
enum Status {
    Ok = 0, // delivered, or done
    Refused = 1,
    UsageError = 2,
    NotRunning = 3,
    NoAnswer = 4,
    UnknownPeer = 5, // nobody, or several, has that name
    Hung = 6,        // the copy runs but does not answer
    Unreachable = 7, // --check: the system would not send there
    NoFiles = 8,     // --attach: the text arrived, the files could not go
};

struct Command
{
    enum class Kind { Start, Help, Version, Send, Peers, Search, Check, Usage };
    Kind kind = Kind::Start;
    QString peer; // --check: the address
    QString text;  // "-": read from standard input
    QStringList files; // --attach: as given, made whole paths when run
    QString error; // what is wrong with a Usage command
};

// args without the program's own name.
Command parse(const QStringList &args);
// Whether it talks to the running copy.
bool isClient(const Command &command);
// Carries out a command that does not start the copy; client is used only
// for one that talks to the running copy. Returns the exit status.
int run(const Command &command, ScriptClient *client, QTextStream &in, QTextStream &out,
        QTextStream &err, const QString &version);

} // namespace commandline
