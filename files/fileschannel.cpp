#include "fileschannel.h"

#include "fileslistener.h"
#include "offerbook.h"

#include <QTimer>
#include <algorithm>
#include <memory>

namespace {
constexpr int FrameMsecs = 15000;
constexpr int IdleMsecs = 120000;
// How long a recipient has to take an offer before it counts as unable to.
constexpr int PostMsecs = 5000;
} // namespace

FilesChannel::FilesChannel(FilesListener &listener, OfferBook &book, quint16 port, QObject *parent)
    : QObject(parent), m_book(book), m_local(listener.address()), m_port(port)
{
    connect(&listener, &FilesListener::connected, this, &FilesChannel::route);
}

void FilesChannel::route(FilesConnection *connection)
{
    // The first frame decides; an offer comes alone, on its own connection.
    auto first = std::make_shared<QMetaObject::Connection>();
    *first = connect(connection, &FilesConnection::frameArrived, this,
                     [this, connection, first](const filesframe::Frame &frame) {
                         disconnect(*first);
                         if (const auto *offer = std::get_if<filesframe::Offer>(&frame))
                             return take(connection, *offer);
                         m_book.serve(connection);
                         emit connection->frameArrived(frame); // the book's now
                     });
}

void FilesChannel::take(FilesConnection *connection, const filesframe::Offer &offer)
{
    // It names the message as its sender numbered it, from where it came.
    const QString sender = connection->peer().toString();
    if (offer.sender != sender || offer.entries.isEmpty()) {
        connection->send(filesframe::Refusal{filesframe::Refusal::Malformed,
                                             QStringLiteral("申し出が正しくありません。")});
        return connection->close();
    }
    const auto key = std::pair{sender, offer.message};
    const auto bytes = [](const Received &r) { return filesframe::write(r.offer).size(); };
    if (const auto it = m_received.find(key); it != m_received.end()) {
        m_receivedBytes -= bytes(it->second);
        m_received.erase(it);
        m_order.erase(std::find(m_order.begin(), m_order.end(), key));
    }
    const qsizetype size = filesframe::write(offer).size();
    while (!m_order.empty() &&
           (m_order.size() >= size_t(MaxReceived) || m_receivedBytes + size > MaxReceivedBytes)) {
        m_receivedBytes -= bytes(m_received.at(m_order.front()));
        m_received.erase(m_order.front());
        m_order.erase(m_order.begin());
    }
    m_order.push_back(key);
    m_receivedBytes += size;
    const Received &kept = m_received[key] = Received{sender, offer};
    // Taken: the sender may close.
    connection->send(filesframe::Taken{});
    emit offerReceived(kept);
}

const FilesChannel::Received *FilesChannel::received(const QString &sender, quint32 message) const
{
    const auto it = m_received.find({sender, message});
    return it == m_received.end() ? nullptr : &it->second;
}

void FilesChannel::post(const QHostAddress &recipient, const filesframe::Offer &offer,
                        std::function<void(bool)> done)
{
    // From the address the message leaves from, which the offer names.
    auto *connection =
        FilesConnection::open(recipient, m_port, FrameMsecs, IdleMsecs, this, m_local);
    auto once = std::make_shared<std::function<void(bool)>>(std::move(done));
    const auto finish = [connection, once](bool taken) {
        if (!*once)
            return;
        const auto report = std::exchange(*once, nullptr);
        connection->close();
        report(taken);
    };
    // An offer that names no sender names the address the recipient sees
    // this copy at: the one its message came from, by the same route.
    connect(connection, &FilesConnection::greeted, connection, [connection, sent = offer]() mutable {
        if (sent.sender.isEmpty())
            sent.sender = connection->localAddress().toString();
        connection->send(sent);
    });
    connect(connection, &FilesConnection::frameArrived, connection,
            [finish](const filesframe::Frame &frame) {
                finish(std::holds_alternative<filesframe::Taken>(frame));
            });
    connect(connection, &FilesConnection::closed, this, [finish] { finish(false); });
    QTimer::singleShot(PostMsecs, connection, [finish] { finish(false); });
}
