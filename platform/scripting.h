#pragma once

#include <QList>
#include <QMetaType>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>
#include <utility>

// A peer as other programs see it.
struct PeerEntry
{
    QString name;
    QString login;
    QString address;
    bool operator==(const PeerEntry &) const = default;
};
Q_DECLARE_METATYPE(PeerEntry)

// Whether wanted (a name or a login, as a script gives it) names the peer.
inline bool namesPeer(const PeerEntry &peer, const QString &wanted)
{
    return peer.name.trimmed() == wanted.trimmed() || peer.login.trimmed() == wanted.trimmed();
}

// What other programs may ask of the running copy. Never a body: nothing
// here reveals what a peer sent.
class ScriptTarget : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~ScriptTarget() override = default;

    // How a send ended: "delivered", "refused", "no-answer", "unknown-peer",
    // "ambiguous-peer" (a name or login of several listed peers); "invalid"
    // when the text cannot be sent at all (empty, too long, a control
    // character), "not-one-host" for an address that is no single host's.
    using Done = std::function<void(const QString &result)>;
    // peer: a display name, a login name or an address. With files (full
    // paths) the result is "no-files" when the text was delivered but the
    // peer could not take them, "invalid" when one cannot be read.
    virtual void send(const QString &peer, const QString &text, const QStringList &files,
                      Done done) = 0;
    virtual QList<PeerEntry> peers() const = 0;
    virtual void search() = 0;
    // 接続確認 of one address: how it ended ("listed", "listed-now",
    // "not-searched", "not-listed", "no-answer", "unreachable"; "invalid" or
    // "not-one-host" for an address that cannot be checked) and the sentence
    // that tells the user why.
    using Checked = std::function<void(const QString &outcome, const QString &sentence)>;
    virtual void check(const QString &address, Checked done) = 0;
    virtual int waitingCount() const = 0;
    virtual bool away() const = 0;

signals:
    void messageArrived(const QString &sender, const QString &address);
    void peersChanged();
    // The waiting count or the note may have changed.
    void stateChanged();
};

// Where the running copy offers itself to other programs (the session bus
// on a Linux desktop).
class ScriptHost
{
public:
    virtual ~ScriptHost() = default;
    // False when it cannot be offered (no bus); the copy runs all the same.
    virtual bool serve(ScriptTarget &target) = 0;
};

// The other side: a program's way to the running copy.
class ScriptClient
{
public:
    virtual ~ScriptClient() = default;
    // False when no copy runs.
    virtual bool running() = 0;
    // The result, or nothing with error set when the call failed.
    virtual std::optional<QString> send(const QString &peer, const QString &text,
                                        const QStringList &files = {}) = 0;
    virtual std::optional<QList<PeerEntry>> peers() = 0;
    virtual bool search() = 0;
    // The outcome and the sentence, as ScriptTarget::check gives them.
    virtual std::optional<std::pair<QString, QString>> check(const QString &address) = 0;
    QString error;
    // The failed call had no answer in time: the copy is there but hangs.
    bool hung = false;
};
