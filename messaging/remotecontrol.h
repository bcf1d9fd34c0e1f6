#pragma once

#include "answertaker.h"
#include "scripting.h"

#include <functional>
#include <list>
#include <optional>

class AwayNote;
class Composer;
class ConnectionCheck;
class PeerSearch;
class LocalUser;
class UserListModel;

// What other programs may do with this copy (through the script host): send
// as if the user had typed, list and search the peers, and hear that a
// message arrived, never what it says. A message sent so is silent: its
// answer goes back to the program, not into a result window.
class RemoteControl final : public ScriptTarget, public AnswerTaker
{
    Q_OBJECT
public:
    // How long a send waits for the peer's acknowledgement, and for a name
    // not listed to answer a search.
    static constexpr int AnswerWaitMsecs = 10000;
    static constexpr int SearchWaitMsecs = 2000;

    RemoteControl(Composer &composer, PeerSearch &search, ConnectionCheck &checks,
                  UserListModel &users, const LocalUser &user, const AwayNote &note,
                  std::function<int()> waitingCount, QObject *parent = nullptr);

    void send(const QString &peer, const QString &text, const QStringList &files,
              Done done) override;
    QList<PeerEntry> peers() const override;
    void search() override;
    void check(const QString &address, Checked done) override;
    int waitingCount() const override { return m_waitingCount(); }
    bool away() const override;

    bool delivered(const QString &source) override;
    bool refused(const QString &source) override;
    bool answered(wire::Kind, const QString &, int) override { return false; }
    // What became of the files offered with a message to address (problem
    // empty: taken); false when no send of this part waits for that.
    bool filesOffered(const QString &address, const QString &problem);

private:
    struct Pending
    {
        QString address;
        Done done;
        QObject *wait; // its timer's context: gone with it
        bool files = false;
        std::optional<QString> filesProblem; // told by the file channel
        std::optional<QString> answer;       // told by the peer, before the files were
    };
    // The listed peer that peer names: the address and the name to record.
    enum class Found { One, None, Several, NotOneHost };
    Found find(const QString &peer, QString *address, QString *name) const;
    void post(const QString &address, const QString &name, const QString &text,
              const QStringList &files, Done done);
    // Ends the first send which picks out; false when none waits.
    bool finish(const std::function<bool(const Pending &)> &which, const QString &result);

    Composer &m_composer;
    PeerSearch &m_search;
    ConnectionCheck &m_checks;
    UserListModel &m_users;
    const LocalUser &m_user;
    const AwayNote &m_note;
    std::function<int()> m_waitingCount;
    std::list<Pending> m_pending;
};
