#include "autosave.h"
#include "composer.h"
#include "dialogs.h"
#include "fieldtext.h"
#include "filesharing.h"
#include "inbox.h"
#include "passwordgate.h"
#include "peersearch.h"
#include "portanaini.h"
#include "programwiring.h"
#include "receivedfiles.h"
#include "remotecontrol.h"
#include "sendround.h"
#include "userlistmodel.h"

#include <QTimer>

namespace wiring {

namespace {

const QString ProgramName = QStringLiteral("ぽるとな～");
// How long after its search begins a sender not yet listed may answer it.
constexpr int AwaitListedMsecs = 2000;

// The name the list shows for address; empty when it is not listed.
QString listedName(const UserListModel &users, const QString &address)
{
    if (!users.rowAt(address))
        return {};
    const QString name = users.nameAt(address);
    return name.isEmpty() ? address : name;
}

} // namespace

void files(const ProgramParts &p)
{
    FileSharing *sharing = p.files;
    if (!sharing)
        return;
    QObject::connect(&p.composer, &Composer::posted, sharing, &FileSharing::offer);
    // A program's send hears of it itself; the window's is told in a box,
    // its text sent all the same.
    RemoteControl &remote = p.remote;
    Dialogs &dialogs = p.dialogs;
    const UserListModel &users = p.users;
    // A round to several says it in its list, beside each recipient.
    SendRound &round = p.composer.round();
    QObject::connect(sharing, &FileSharing::offered, &remote,
                     [&remote, &round, &dialogs, &users](const QString &address, int rowNo,
                                                         const QString &problem) {
                         if (remote.filesOffered(address, problem) || problem.isEmpty() ||
                             round.filesNotTaken(address, rowNo, problem))
                             return;
                         const QString name = listedName(users, address);
                         dialogs.messageBox(
                             {QStringLiteral("%1: %2\rﾒｯｾｰｼﾞは送りました。")
                                  .arg(name.isEmpty() ? address : name, problem),
                              ProgramName, Dialogs::Icon::Exclamation, Dialogs::Buttons::Ok,
                              Dialogs::Ok});
                     });
    ReceivedFiles &received = *p.receivedFiles;
    const PortanaIni &ini = p.ini;
    const PasswordGate &gate = p.gate;
    PeerSearch &peers = p.peers;
    QObject::connect(
        sharing, &FileSharing::offerReceived, &received,
        [&received, &ini, &gate, &users, &peers](const FilesChannel::Received &r) {
            received.offerArrived(r);
            const IniOptions &o = ini.options();
            const AutoSave rule{o.filesAutoSave, gate.isOn(), true, o.filesMaxSize};
            if (!rule.saves(r.offer))
                return;
            if (!listedName(users, r.sender).isEmpty())
                return received.saveOffer(r);
            // A copy that waits in the tray may not have searched yet: the
            // sender is looked for once, and saved from only once it is listed.
            auto *wait = new QObject(&received);
            QObject::connect(&users, &UserListModel::countChanged, wait,
                             [&received, &users, wait, r] {
                                 if (listedName(users, r.sender).isEmpty())
                                     return;
                                 QObject::disconnect(&users, nullptr, wait, nullptr);
                                 wait->deleteLater();
                                 received.saveOffer(r);
                             });
            QTimer::singleShot(int(peers.refresh()) + AwaitListedMsecs, wait,
                               [wait] { wait->deleteLater(); });
        });
    // The window shows it too; a box tells it where the window is not up.
    const Inbox &inbox = p.inbox;
    QObject::connect(&received, &ReceivedFiles::failed, &received,
                     [&dialogs, &users, &inbox](const QString &sender, const QString &problem) {
                         // The name its message came with, where the list has none.
                         QString name = listedName(users, sender);
                         for (int n = 1; name.isEmpty() && n <= inbox.recvCount(); ++n)
                             if (inbox.entry(n).recvIp == sender)
                                 name = fieldtext::unprintablesAsSpaces(inbox.entry(n).recvName.trimmed());
                         dialogs.messageBox(
                             {QStringLiteral("%1 からのﾌｧｲﾙを保存できませんでした。\r")
                                      .arg(name.isEmpty() ? sender : name) +
                                  problem,
                              ProgramName, Dialogs::Icon::Exclamation, Dialogs::Buttons::Ok,
                              Dialogs::Ok});
                     });
}

} // namespace wiring
