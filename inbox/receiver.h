#pragma once

#include "wire.h"

#include <QObject>
#include <QString>
#include <optional>

class AnswerSender;
class HistoryModel;
class Inbox;
class PasswordGate;

// The receiving side's answers: sends this user's answers to the entry on
// display (open confirmation, reply, hold, discard); Arrivals keeps what arrives.
// Opens no window; the received-message window calls it and follows the inbox.
class Receiver : public QObject
{
    Q_OBJECT
public:
    // Opened, but the sender could not be told (tried again at the next opening).
    enum class Opening { Closed, Opened, OpenedUntold, AskPassword };
    // Refused: nothing waits to be answered. TooLong and NotSent: the reply
    // did not leave, and the entry still waits.
    enum class Replied { Empty, Refused, TooLong, NotSent, Stays, Done };

    Receiver(Inbox &inbox, AnswerSender &answers, HistoryModel &history, PasswordGate &gate,
             QObject *parent = nullptr);

    // The inbox kept an arrival: the alert goes up. One that was not kept
    // never raises it.
    void arrivalKept();

    // The arrival picture is up: no answer or opening since the last arrival.
    bool alertUp() const { return m_alertUp; }
    // The inbox was read back at start: what waits is announced again.
    bool waitAgain();

    // The answers take the window's buttons: open is OPEN/CLOSE (CmdOPCL),
    // next and back > and < (CmdNext, CmdBack), reply 返信 (CmdCback), hold
    // 返信保留 (CmdCancel), discard 閉じる (CmdDel), quote 引用 (CmdInyo).
    Opening open();
    // False when the entry now shown is open and its sender could not be told.
    bool next();
    bool back();
    // Done when it answered the last entry (the window goes).
    Replied reply(const QString &replyText);
    // Tells the sender once per alert.
    void hold();
    // Drops every entry; tells the sender once per alert.
    void discard();

    // With the reply box's text: what the box is to hold, or nothing while
    // the gate keeps the body closed (it is to be opened first).
    std::optional<QString> quote(const QString &reply);
    // The body, each line behind ">", above what the reply box held.
    static QString quoted(const QString &body, const QString &reply);
    // The window went out of sight: the body closes and a grant ends, so
    // the next sight of any body goes through the gate again.
    void seal();

signals:
    // The tray goes back to its normal picture.
    void alertReset();
    // A reply left: its text goes into the send window's message box.
    void replied(const QString &text);

private:
    // False when the sender was to be told and could not be.
    bool sendOpenConfirm();
    void resetTrayIcon();

    Inbox &m_inbox;
    AnswerSender &m_answers;
    HistoryModel &m_history;
    PasswordGate &m_gate;
    bool m_alertUp = false;
};
