#include "udpdatagramport.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QNetworkInterface>

#include <sys/socket.h>

namespace {

// Ask for size bytes; as root the system's ceiling does not apply.
int growBuffer(qintptr fd, int option, int forceOption, int size)
{
    if (::setsockopt(int(fd), SOL_SOCKET, forceOption, &size, sizeof size) != 0)
        ::setsockopt(int(fd), SOL_SOCKET, option, &size, sizeof size);
    int granted = 0;
    socklen_t len = sizeof granted;
    ::getsockopt(int(fd), SOL_SOCKET, option, &granted, &len);
    return granted;
}

QString dotted(const QHostAddress &address)
{
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : address.toString();
}

} // namespace

UdpDatagramPort::UdpDatagramPort(QHostAddress bindAddress, quint16 port, QObject *parent)
    : DatagramPort(parent), m_bindAddress(std::move(bindAddress)), m_port(port)
{
    connect(&m_listen, &QUdpSocket::readyRead, this, &UdpDatagramPort::drain);
}

DatagramPort::BindResult UdpDatagramPort::bind()
{
    // No address sharing: a port held by anything else is a conflict.
    if (!m_listen.bind(m_bindAddress, m_port, QAbstractSocket::DontShareAddress)) {
        m_error = m_listen.errorString();
        return m_listen.error() == QAbstractSocket::AddressInUseError ? BindResult::InUse
                                                                      : BindResult::Failed;
    }
    m_receiveBuffer =
        growBuffer(m_listen.socketDescriptor(), SO_RCVBUF, SO_RCVBUFFORCE, ReceiveBufferBytes);
    if (m_receiveBuffer < ReceiveBufferBytes)
        qWarning("portana: receive buffer is %d bytes, fewer than asked for", m_receiveBuffer);

    if (!m_send.bind(m_bindAddress, 0, QAbstractSocket::DontShareAddress)) {
        m_error = m_send.errorString();
        m_listen.close();
        return BindResult::Failed;
    }
    growBuffer(m_send.socketDescriptor(), SO_SNDBUF, SO_SNDBUFFORCE, ReceiveBufferBytes);
    return BindResult::Bound;
}

QString UdpDatagramPort::localAddress() const
{
    if (m_bindAddress != QHostAddress::AnyIPv4)
        return dotted(m_bindAddress);
    for (const QNetworkInterface &iface : QNetworkInterface::allInterfaces()) {
        const auto flags = iface.flags();
        if (!(flags & QNetworkInterface::IsUp) || (flags & QNetworkInterface::IsLoopBack))
            continue;
        for (const QNetworkAddressEntry &entry : iface.addressEntries())
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol)
                return entry.ip().toString();
    }
    return QStringLiteral("127.0.0.1");
}

bool UdpDatagramPort::send(const QString &address, const QByteArray &bytes)
{
    const QHostAddress target(address);
    if (target.isNull() || target.protocol() != QAbstractSocket::IPv4Protocol) {
        qWarning("portana: datagram to %s not sent: not an IPv4 address", qPrintable(address));
        return false;
    }
    if (m_send.writeDatagram(bytes, target, m_port) < 0) {
        qWarning("portana: datagram to %s not sent: %s", qPrintable(address),
                 qPrintable(m_send.errorString()));
        return false;
    }
    return true;
}

void UdpDatagramPort::drain()
{
    QElapsedTimer spent;
    spent.start();
    int taken = 0;
    while (m_listen.hasPendingDatagrams()) {
        // A batch is bounded: a sender that never pauses must not hold
        // everyone's acknowledgements back. What is left makes the socket
        // readable again at the next turn of the event loop (a second way
        // in would find nothing to read, and Qt then stops telling).
        if (taken == BatchDatagrams || spent.elapsed() >= BatchMsecs)
            break;
        const QNetworkDatagram datagram = m_listen.receiveDatagram();
        if (!datagram.isValid())
            break;
        ++taken;
        emit arrived(datagram.data(), dotted(datagram.senderAddress()));
    }
    if (taken > 0)
        emit drained();
}
