#pragma once

#include "datagramport.h"

#include <QHostAddress>
#include <QUdpSocket>
#include <memory>

class SocketReader;

// The datagram port on real IPv4 sockets: the listening socket bound
// exclusively on one address and port, read on a thread of its own (see
// SocketReader), the sending socket on the same address and a port the
// system picks.
class UdpDatagramPort final : public DatagramPort
{
    Q_OBJECT
public:
    // Room for a burst of a few thousand small datagrams while the program
    // is busy; the system may grant less (see receiveBufferBytes()).
    static constexpr int ReceiveBufferBytes = 4 << 20;
    // A batch ends after this many datagrams or this long, whichever comes
    // first; the rest waits for the next turn of the event loop.
    static constexpr int BatchDatagrams = 256;
    static constexpr qint64 BatchMsecs = 50;

    UdpDatagramPort(QHostAddress bindAddress, quint16 port, QObject *parent = nullptr);
    ~UdpDatagramPort() override;

    BindResult bind() override;
    QString errorText() const override { return m_error; }
    QString localAddress() const override;
    bool send(const QString &address, const QByteArray &bytes) override;
    QString sendFailure() const override { return m_sendFailure; }

    // What the kernel granted after asking for ReceiveBufferBytes.
    int receiveBufferBytes() const { return m_receiveBuffer; }

private:
    void drain();

    QHostAddress m_bindAddress;
    quint16 m_port;
    int m_listen = -1;
    std::unique_ptr<SocketReader> m_reader;
    QUdpSocket m_send;
    QString m_error;
    QString m_sendFailure;
    int m_receiveBuffer = 0;
};
