#include "answersender.h"

#include "composer.h"
#include "localuser.h"
#include "transport.h"
#include "wire.h"

AnswerSender::AnswerSender(Transport &transport, Composer &composer, const LocalUser &user)
    : m_transport(transport), m_composer(composer), m_user(user)
{
}

bool AnswerSender::openConfirm(const QString &peer, const QString &rowNo)
{
    return m_transport.send(peer, wire::openConfirm(m_user.sendName(), rowNo));
}

void AnswerSender::hold(const QString &peer)
{
    m_transport.send(peer, wire::hold(m_user.sendName()));
}

void AnswerSender::discard(const QString &peer, const QString &rowNo)
{
    m_transport.send(peer, wire::discard(m_user.sendName(), rowNo));
}

Posted AnswerSender::reply(const QString &peer, const QString &recipient, const QString &text)
{
    return m_composer.post(peer, recipient, m_user.sendName(), text);
}
