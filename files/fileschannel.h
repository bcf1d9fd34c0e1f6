#pragma once

#include "filesframe.h"

#include <QHostAddress>
#include <QObject>
#include <functional>
#include <map>

class FilesConnection;
class FilesListener;
class OfferBook;

// The file channel of one copy: what comes to its listener goes where its
// first frame says (an offer to the received offers, a get or a cancel to
// what this copy offers), and offers go out to recipients.
class FilesChannel : public QObject
{
    Q_OBJECT
public:
    // An offer told to this copy: whose message it goes with.
    struct Received
    {
        QString sender; // the address it came from
        filesframe::Offer offer;
    };
    // What is kept of offers for messages not yet dealt with: anyone on the
    // network may send them, so the oldest go past this many or this size.
    static constexpr int MaxReceived = 100;
    static constexpr qsizetype MaxReceivedBytes = 8 << 20;

    FilesChannel(FilesListener &listener, OfferBook &book, quint16 port, QObject *parent = nullptr);

    // Tells recipient of an offer (one without a sender names this copy's
    // address on the way); done(true) once it took it, done(false)
    // when it cannot take files (no copy listens there, or it would not).
    void post(const QHostAddress &recipient, const filesframe::Offer &offer,
              std::function<void(bool)> done);

    // The offer that goes with the message number from sender, if one came.
    const Received *received(const QString &sender, quint32 message) const;

signals:
    void offerReceived(const FilesChannel::Received &offer);

private:
    void route(FilesConnection *connection);
    void take(FilesConnection *connection, const filesframe::Offer &offer);

    OfferBook &m_book;
    QHostAddress m_local;
    quint16 m_port;
    // By sender and message number; the oldest goes when it is full.
    std::map<std::pair<QString, quint32>, Received> m_received;
    std::vector<std::pair<QString, quint32>> m_order;
    qsizetype m_receivedBytes = 0;
};
