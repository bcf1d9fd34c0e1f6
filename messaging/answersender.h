#pragma once

#include "posted.h"

#include <QString>

class Composer;
class LocalUser;
class Transport;

// This user's answers to a peer's message, under the name peers see: the
// open confirmation, the hold and the discard, and the reply, which is a
// message of its own with its history row.
class AnswerSender
{
public:
    AnswerSender(Transport &transport, Composer &composer, const LocalUser &user);

    // False when the system would not send it.
    bool openConfirm(const QString &peer, const QString &rowNo);
    void hold(const QString &peer);
    void discard(const QString &peer, const QString &rowNo);
    // recipient: the sender's name, as the history keeps it.
    Posted reply(const QString &peer, const QString &recipient, const QString &text);

private:
    Transport &m_transport;
    Composer &m_composer;
    const LocalUser &m_user;
};
