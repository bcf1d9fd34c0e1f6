#include "windowwiring.h"

#include "awaynote.h"
#include "frmletter.h"
#include "frmlog.h"
#include "frmmsgopen.h"
#include "frmopt.h"
#include "frmpw.h"
#include "frmrecv.h"
#include "receivedfiles.h"
#include "frmsnd.h"
#include "frmversion.h"
#include "historybrowser.h"
#include "inbox.h"
#include "peersearch.h"
#include "userlistmodel.h"
#include "windows.h"

namespace wiring {

void sendWindow(FrmSnd &w, Windows &windows, UserListModel &users, PeerSearch &peers)
{
    QObject::connect(&w, &FrmSnd::ipSetRequested, &windows, &Windows::openIpSet);
    QObject::connect(&w, &FrmSnd::trayMenuRequested, &windows, &Windows::popUpTrayMenu);
    QObject::connect(&w, &FrmSnd::connectionCheckRequested, &windows,
                     &Windows::connectionCheckRequested);
    QObject::connect(&users, &UserListModel::countChanged, &w, &FrmSnd::showUserCount);
    QObject::connect(&peers, &PeerSearch::searched, &w, &FrmSnd::showSearch);
}

void recvWindow(FrmRecv &w, Windows &windows, Inbox &inbox, ReceivedFiles *files)
{
    QObject::connect(&w, &FrmRecv::passwordRequested, &windows, &Windows::openPassword);
    QObject::connect(&inbox, &Inbox::changed, &w, &FrmRecv::refresh);
    if (files)
        QObject::connect(files, &ReceivedFiles::changed, &w, &FrmRecv::refreshFiles);
    QObject::connect(&inbox, &Inbox::replyCleared, &w, &FrmRecv::clearReply);
}

void versionWindow(FrmVersion &w, Windows &windows)
{
    QObject::connect(&w, &FrmVersion::phaseChanged, &windows, &Windows::setVersionPhase);
}

void passwordWindow(FrmPw &w, Windows &windows)
{
    QObject::connect(&w, &FrmPw::historyGranted, &windows, &Windows::openLog);
}

void logWindow(FrmLog &w, HistoryBrowser &browser)
{
    QObject::connect(&browser, &HistoryBrowser::changed, &w, &FrmLog::refresh);
}

void letterWindow(FrmLetter &w, AwayNote &note)
{
    QObject::connect(&note, &AwayNote::changed, &w, &FrmLetter::showNoteState);
}

void optionsWindow(FrmOpt &w, Windows &windows)
{
    QObject::connect(&w, &FrmOpt::appearancePreviewed, &windows,
                     [&windows](const OptSettings &draft) { windows.previewAppearance(draft); });
    QObject::connect(&w, &FrmOpt::appearanceRestored, &windows,
                     [&windows] { windows.previewAppearance(std::nullopt); });
}

void arrivalButton(FrmMsgOpen &w, Windows &windows)
{
    QObject::connect(&w, &FrmMsgOpen::openRequested, &windows, &Windows::messagesRequested);
}

} // namespace wiring
