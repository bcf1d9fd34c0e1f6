#pragma once

class AwayNote;
class PeerSearch;
class FrmLetter;
class FrmLog;
class FrmMsgOpen;
class FrmOpt;
class FrmPw;
class FrmRecv;
class FrmSnd;
class FrmVersion;
class HistoryBrowser;
class Inbox;
class ReceivedFiles;
class UserListModel;
class Windows;

// Each window to its models and to the other windows, as the window is
// made (the windows are made at their first use).
namespace wiring {

void sendWindow(FrmSnd &w, Windows &windows, UserListModel &users, PeerSearch &peers);
// files: none without a file channel.
void recvWindow(FrmRecv &w, Windows &windows, Inbox &inbox, ReceivedFiles *files);
void versionWindow(FrmVersion &w, Windows &windows);
void passwordWindow(FrmPw &w, Windows &windows);
void logWindow(FrmLog &w, HistoryBrowser &browser);
void letterWindow(FrmLetter &w, AwayNote &note);
void optionsWindow(FrmOpt &w, Windows &windows);
void arrivalButton(FrmMsgOpen &w, Windows &windows);

} // namespace wiring
