#pragma once

#include <QObject>
#include <QString>
#include <functional>

// How an arrival is told, decided in one place: the tray icon, the
// received-message window's picture, the button window, the send window
// asking for attention where there is no tray, the desktop notification,
// and other programs. Shows nothing itself.
class ArrivalPolicy final : public QObject
{
    Q_OBJECT
public:
    // What the decision rests on, read at each arrival.
    struct Facts
    {
        bool hasTray = true;         // a notification area shows the icon
        bool messagesShown = false;  // the received-message window is up
        bool blinkIcon = false;      // the icon blinks (その他)
        bool arrivalButton = false;  // the button window comes up (その他)
        bool notifyWithTray = false; // a desktop notification with the tray too
    };

    explicit ArrivalPolicy(std::function<Facts()> facts, QObject *parent = nullptr);

    // A message arrived from sender (its name field) at address.
    void arrived(const QString &sender, const QString &address);
    // Messages waited from the last run: the alert goes up again; nobody is told anew.
    void waitingAgain();

signals:
    void trayAlerted(bool blink, bool messagesShown);
    void pictureMarked();
    void buttonWanted();
    void attentionWanted();
    // Who sent it, never what it says.
    void notificationWanted(const QString &text);
    void announced(const QString &sender, const QString &address);

private:
    void alert(const Facts &facts);

    std::function<Facts()> m_facts;
};
