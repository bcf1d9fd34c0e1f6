#pragma once

#include "inboxtable.h"
#include "store.h"

#include <QObject>

class Dialogs;

// The store of one copy, in its state folder: opened at start, and the user
// told once when it cannot be used (the copy then runs and receives, keeping
// nothing beyond this run), once it is full (new messages are refused
// until there is room again), once a write fails (until one succeeds), and
// when its file was deleted or replaced under the running program.
class KeptStore : public QObject
{
    Q_OBJECT
public:
    // folder empty: kept in memory only.
    KeptStore(const QString &folder, Dialogs &dialogs);
    // Opens it (after the port is bound: a start-up that fails reads nothing).
    void open();

    Store &store() { return m_store; }
    InboxTable &inbox() { return m_inbox; }
    // At start: a box when the store could not be opened.
    void tellProblem();
    // Whether another message can be kept.
    bool hasRoom();

    static QString fileName() { return QStringLiteral("portana.db"); }

    // What the store tells (wiring::storeToKept).
    void committed() { m_toldFailure = false; }
    void writeFailed();
    void fileLost(Store::Problem problem);

private:
    QString problemText(Store::Problem problem) const;
    void tellLater(const QString &text);

    Dialogs &m_dialogs;
    Store m_store;
    InboxTable m_inbox{m_store};
    QString m_path;
    Store::Problem m_problem = Store::Problem::None;
    bool m_toldFull = false;
    bool m_toldFailure = false;
};
