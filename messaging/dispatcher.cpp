#include "dispatcher.h"

#include "awaynote.h"
#include "cp932.h"
#include "datagramport.h"
#include "localuser.h"
#include "optsettings.h"
#include "transport.h"
#include "userlistmodel.h"

#include <algorithm>
#include <exception>
#include <utility>

Dispatcher::Dispatcher(DatagramPort &port, Transport &transport, const OptSettings &settings,
                       const LocalUser &user, UserListModel &users, const AwayNote &note,
                       const Clock &clock, Keeping keeping, QObject *parent)
    : QObject(parent), m_port(port), m_transport(transport), m_settings(settings), m_user(user),
      m_users(users), m_note(note), m_rate(clock, MessageBurst, MessagesPerSecond),
      m_keeping(std::move(keeping))
{
}

void Dispatcher::datagramArrived(const QByteArray &bytes, const QString &source)
{
    datagram(bytes, source);
}

void Dispatcher::datagramsDrained()
{
    if (m_batchOpen)
        closeBatch();
}

// Each record to its handler; a kind without one does not build.
struct Dispatcher::Visitor
{
    Dispatcher &d;
    const QString &source;

    void operator()(const wire::Ack &ack) const { emit d.delivered(ack.name, source); }
    void operator()(const wire::Reject &) const { emit d.refused(source); }
    void operator()(const wire::OpenConfirm &o) const
    {
        emit d.answered(wire::Kind::OpenConfirm, o.name, o.row, source);
    }
    // A hold notice carries no reference, so it names no row.
    void operator()(const wire::Hold &h) const
    {
        emit d.answered(wire::Kind::Hold, h.name, 0, source);
    }
    void operator()(const wire::Discard &x) const
    {
        emit d.answered(wire::Kind::Discard, x.name, x.row, source);
    }
    void operator()(const wire::SearchRequest &) const
    {
        d.m_transport.send(source, wire::searchReply(d.m_user.loginField(), d.m_user.localAddress(),
                                                     d.m_users.selectedPeerAddress(),
                                                     d.m_settings.optName, d.m_note.isSet()));
    }
    void operator()(const wire::SearchReply &reply) const
    {
        d.m_users.addReplier(reply, source);
        emit d.searchReplied(source);
    }
    void operator()(const wire::LetterReply &note) const { emit d.awayNoteReceived(note.text); }
    void operator()(const wire::LetterRequest &) const
    {
        // Counted as messages are: a host that asks without end is not
        // answered (an answer is up to 64 KB for 11 bytes, to any address).
        if (!d.m_rate.take(source))
            return;
        if (d.m_transport.send(source, wire::letterReply(d.m_settings.optName, d.m_note.text())))
            emit d.awayNoteFetched();
    }
    void operator()(const wire::Message &message) const { d.messageDatagram(message, source); }
};

void Dispatcher::openBatch()
{
    m_batchOpen = true;
    if (m_keeping.begin)
        m_keeping.begin();
}

void Dispatcher::closeBatch()
{
    m_batchOpen = false;
    const bool kept = !m_keeping.commit || m_keeping.commit();
    const auto acks = std::exchange(m_acks, {});
    for (const auto &[source, bytes] : acks)
        m_transport.sendBytes(source, kept ? bytes : cp932::encode(wire::reject()));
}

void Dispatcher::datagram(const QByteArray &bytes, const QString &source)
{
    try {
        std::visit(Visitor{*this, source}, wire::read(bytes));
    } catch (const std::exception &e) {
        qWarning("portana: datagram from %s not handled: %s", qPrintable(source), e.what());
        emit datagramFailed();
    }
}

void Dispatcher::messageDatagram(const wire::Message &message, const QString &source)
{
    if ((m_settings.otherReject && source != m_users.selectedPeerAddress()) ||
        !m_rate.take(source) || (m_keeping.hasRoom && !m_keeping.hasRoom())) {
        m_transport.send(source, wire::reject());
        return;
    }
    // The batch opens with the first message to keep: a drain of searches,
    // note requests and answers writes nothing, or only what they complete.
    if (!m_batchOpen)
        openBatch();
    emit messageArrived(message, source);
    m_acks.append({source, cp932::encode(wire::ack(m_user.sendName()))});
}
