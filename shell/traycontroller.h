#pragma once

#include "trayhost.h"

#include <QObject>

class IconTheme;
class QAction;
class QMenu;
class QTimer;

// The tray icon, its menu and its blinking.
class TrayController : public QObject
{
    Q_OBJECT
public:
    static constexpr int BlinkMs = 500;
    static const QString Tip;

    TrayController(TrayHost &host, IconTheme &theme, QObject *parent = nullptr);
    ~TrayController() override;

    // A click on the icon (the composition root connects the host to it).
    void hostEvent(TrayHost::Event event);
    void addIcon();
    void removeIcon();
    QMenu *menu() const { return mnuTray; }
    void hideMenu();
    // 受信ﾒｯｾｰｼﾞの表示 can be chosen while messages wait.
    void setMessagesWaiting(bool waiting);

    // Icon changes the other parts ask for. The alert itself (a message
    // waits unanswered) is the receiver's; the tray only shows it.
    void messageArrived(bool blinkIcon, bool recvWindowVisible);
    void messagesShown();
    void messagesDealtWith();
    void iconSetChanged();

    // Which picture the tray shows this moment.
    bool showsArrivalPicture() const { return m_showsArrival; }
    int blinkPhase() const { return m_blinkPhase; }

signals:
    // The menu's choices (the menu is put away first).
    void sendWindowRequested();
    void recvWindowRequested();
    void letterRequested();
    void logRequested();
    void iconDialogRequested();
    void optionsRequested();
    void aboutRequested();
    void endRequested();

private:
    QMenu *mnuTray;
    QAction *mnuSendMsg;
    QAction *mnuRecvMsg;
    QAction *mnuLetter;
    QAction *mnuLog;
    QMenu *mnuOpt;
    QAction *mnuIcon;
    QAction *mnuOther;
    QAction *mnuAbout;
    QAction *mnuEnd;
    QTimer *Timer2;

    void Timer2_Timer();
    void show(bool arrival);

    TrayHost &m_host;
    IconTheme &m_theme;
    bool m_added = false;
    bool m_showsArrival = false;
    int m_blinkPhase = 0; // never reset: each blink goes on where the last stopped
};
