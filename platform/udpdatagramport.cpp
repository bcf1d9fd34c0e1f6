#include "udpdatagramport.h"

#include "socketreader.h"

#include <QElapsedTimer>
#include <QNetworkInterface>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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
}

UdpDatagramPort::~UdpDatagramPort()
{
    m_reader.reset();
    if (m_listen >= 0)
        ::close(m_listen);
}

DatagramPort::BindResult UdpDatagramPort::bind()
{
    // No address sharing (no SO_REUSEADDR): a port held by anything else is a conflict.
    m_listen = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    sockaddr_in at{};
    at.sin_family = AF_INET;
    at.sin_port = htons(m_port);
    at.sin_addr.s_addr = htonl(m_bindAddress.toIPv4Address());
    if (m_listen < 0 || ::bind(m_listen, reinterpret_cast<sockaddr *>(&at), sizeof at) != 0) {
        const int error = errno;
        m_error = QString::fromLocal8Bit(std::strerror(error));
        if (m_listen >= 0)
            ::close(m_listen);
        m_listen = -1;
        return error == EADDRINUSE ? BindResult::InUse : BindResult::Failed;
    }
    m_receiveBuffer = growBuffer(m_listen, SO_RCVBUF, SO_RCVBUFFORCE, ReceiveBufferBytes);
    if (m_receiveBuffer < ReceiveBufferBytes)
        qWarning("portana: receive buffer is %d bytes, fewer than asked for", m_receiveBuffer);

    if (!m_send.bind(m_bindAddress, 0, QAbstractSocket::DontShareAddress)) {
        m_error = m_send.errorString();
        ::close(m_listen);
        m_listen = -1;
        return BindResult::Failed;
    }
    // Told from the reader's thread; the window thread takes what waits.
    m_reader = std::make_unique<SocketReader>(m_listen, [this] {
        QMetaObject::invokeMethod(this, &UdpDatagramPort::drain, Qt::QueuedConnection);
    });
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

namespace {

// Why the system would not send a datagram, as a user reads it.
QString refusal(int error)
{
    switch (error) {
    case ENETUNREACH:
    case EHOSTUNREACH:
        return QStringLiteral("経路がありません");
    case EACCES:
    case EPERM:
        return QStringLiteral("システムが送信を拒みました");
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

} // namespace

bool UdpDatagramPort::send(const QString &address, const QByteArray &bytes)
{
    const QHostAddress target(address);
    if (target.isNull() || target.protocol() != QAbstractSocket::IPv4Protocol) {
        qWarning("portana: datagram to %s not sent: not an IPv4 address", qPrintable(address));
        return false;
    }
    if (m_send.writeDatagram(bytes, target, m_port) < 0) {
        // Qt's own text is the same for every cause; the system's names it.
        m_sendFailure = refusal(errno);
        qWarning("portana: datagram to %s not sent: %s", qPrintable(address),
                 qPrintable(m_send.errorString() + u' ' + m_sendFailure));
        return false;
    }
    return true;
}

void UdpDatagramPort::drain()
{
    QElapsedTimer spent;
    spent.start();
    int taken = 0;
    // A batch is bounded: a sender that never pauses must not hold
    // everyone's acknowledgements back. What is left is taken at the next
    // turn of the event loop.
    while (taken < BatchDatagrams && spent.elapsed() < BatchMsecs) {
        std::optional<SocketReader::Datagram> d = m_reader->next();
        if (!d) {
            if (taken > 0)
                emit drained();
            return;
        }
        ++taken;
        emit arrived(d->bytes, QHostAddress(d->source).toString());
    }
    emit drained();
    QMetaObject::invokeMethod(this, &UdpDatagramPort::drain, Qt::QueuedConnection);
}
