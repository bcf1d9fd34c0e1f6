#include "arrivalpolicy.h"

ArrivalPolicy::ArrivalPolicy(std::function<Facts()> facts, QObject *parent)
    : QObject(parent), m_facts(std::move(facts))
{
}

void ArrivalPolicy::alert(const Facts &facts)
{
    emit trayAlerted(facts.blinkIcon, facts.messagesShown);
    emit pictureMarked();
    if (facts.messagesShown)
        return;
    // Without a notification area nothing else would tell of it: the
    // button window comes up, and the send window asks for attention.
    if (facts.arrivalButton || !facts.hasTray)
        emit buttonWanted();
    if (!facts.hasTray)
        emit attentionWanted();
}

void ArrivalPolicy::waitingAgain()
{
    alert(m_facts());
}

void ArrivalPolicy::arrived(const QString &sender, const QString &address)
{
    const Facts facts = m_facts();
    alert(facts);
    // Without a tray the desktop is told too; with one, the tray alone
    // unless the user asked for both.
    if (!facts.hasTray || facts.notifyWithTray) {
        const QString who = sender.trimmed().isEmpty() ? address : sender.trimmed();
        emit notificationWanted(who + QStringLiteral(" からメッセージが届きました"));
    }
    emit announced(sender.trimmed(), address);
}
