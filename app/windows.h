#pragma once

#include "optsettings.h"

#include <QObject>
#include <QPointer>
#include <optional>

class Autostart;
class AwayNote;
class Clock;
class Composer;
class Dialogs;
class FrmIPset;
class FrmLetter;
class FrmLog;
class FrmMsgOpen;
class FrmOpt;
class FrmOption;
class FrmPw;
class FrmRcvOK;
class FrmRecv;
class FrmSnd;
class FrmSndList;
class FrmSndOK;
class FrmSROK;
class FrmVersion;
class HistoryBrowser;
class HistoryModel;
class IconTheme;
class Inbox;
class PasswordGate;
class PeerSearch;
class Attachments;
class FileSharing;
class ReceivedFiles;
class QPoint;
class QWidget;
class Receiver;
class PortanaIni;
class ScreenLock;
class SettingsStore;
class TrayController;
class UserListModel;
struct SenderResult;

// The program's windows: each made at its first use and owned here (held by
// QPointer, whether it lives on hidden or goes when closed), wearing the
// icon set and the appearance, placed by the placement rule and shown by
// one helper (showPlaced). Windows open when the program says so; what they do is theirs.
class Windows : public QObject
{
    Q_OBJECT
public:
    // What the windows are made from.
    struct Parts
    {
        SettingsStore &settings;
        PortanaIni &ini;
        Dialogs &dialogs;
        const Clock &clock;
        IconTheme &theme;
        TrayController &tray;
        Composer &composer;
        PeerSearch &peers;
        UserListModel &users;
        Inbox &inbox;
        Receiver &receiver;
        PasswordGate &gate;
        HistoryModel &history;
        HistoryBrowser &browser;
        AwayNote &note;
        Autostart &autostart;
        const ScreenLock *screenLock; // none: the lock is not heard
        ReceivedFiles *receivedFiles; // none: no file channel
        Attachments *attachments;     // none: no file channel
        FileSharing *files;           // none: no file channel
    };

    explicit Windows(Parts parts, QObject *parent = nullptr);
    ~Windows() override;

    // A peer's away note, for the send window that asked for it.
    void showAwayNote(const QString &note);

    // Known before the first window is made.
    void setWeekday(const QString &weekday) { m_weekday = weekday; }
    // The set the settings file named, preselected in the icon dialog.
    void setStoredIconSet(int set) { m_storedSet = set; }

    // Made on first use, then only hidden.
    FrmSnd &frmSnd();
    FrmRecv &frmRecv();
    FrmOption &frmOption();
    // There while open (FrmLog: once made).
    FrmLog *frmLog() const;
    FrmMsgOpen *frmMsgOpen() const;
    FrmPw *frmPw() const;
    FrmLetter *frmLetter() const;
    FrmOpt *frmOpt() const;
    FrmVersion *frmVersion() const;
    FrmIPset *frmIPset() const;

    void openIpSet();
    void openIconDialog();
    void openVersion();
    void openPassword();
    void openLog();
    // The note window, made when it is not there.
    void openLetter();
    // The options dialog, filled afresh.
    void openOptions();
    // The received-message window, up front.
    void showMessages();
    // 受信ﾒｯｾｰｼﾞ表示: the waiting messages from the first one (nothing
    // when none waits: a button window left from before).
    void dspRecvMsg();
    // 送受信履歴表示: through the password gate.
    void mnuLog_Click();
    // 終了(&X): asks first while the arrival picture is up; true to end.
    bool mnuEnd_Click();
    // A message arrived while the received-message window is away: the
    // button window comes up, when asked for.
    void showArrivalButton();
    void closeArrivalButton();
    bool messagesShown() const;

    // The colour and font the options dialog shows before they are in
    // force; none: those in force again.
    void previewAppearance(const std::optional<OptSettings> &draft);
    // The about window's picture, kept for the next time it opens.
    void setVersionPhase(int phase) { m_versionPhase = phase; }
    // The tray menu, at a point of the screen (the send window standing in for the tray).
    void popUpTrayMenu(const QPoint &at);

    // The icon set changed, or a message arrived (the received-message
    // window wears the arrival picture).
    void applyIcons();
    void markArrival();
    void applyAppearance();

    // A result for the sender in its window. One still open is reused;
    // closing one discards it.
    void showResult(const SenderResult &result);
    // The results of a message sent to several, as the confirmation
    // settings ask; trouble (a refusal, no answer) shows them in any case.
    void showRound(bool trouble);

signals:
    // The button window's button, or the password that opens the history.
    void messagesRequested();
    // 接続確認 from the send window; address: the chosen peer's, or empty.
    void connectionCheckRequested(const QString &address);

private:
    Parts m_parts;
    QString m_weekday;
    std::optional<int> m_storedSet;
    // The colour and font the options dialog shows before they are in force.
    std::optional<OptSettings> m_preview;
    int m_versionPhase = 0;
    QPointer<FrmSnd> m_frmSnd;
    QPointer<FrmRecv> m_frmRecv;
    QPointer<FrmOption> m_frmOption;
    QPointer<FrmLog> m_frmLog;
    QPointer<FrmMsgOpen> m_frmMsgOpen;
    QPointer<FrmPw> m_frmPw;
    QPointer<FrmLetter> m_frmLetter;
    QPointer<FrmOpt> m_frmOpt;
    QPointer<FrmVersion> m_frmVersion;
    QPointer<FrmIPset> m_frmIPset;
    QPointer<FrmSndOK> m_frmSndOK;
    QPointer<FrmSndList> m_frmSndList;
    QPointer<FrmRcvOK> m_frmRcvOK;
    QPointer<FrmSROK> m_frmSROK;
};
