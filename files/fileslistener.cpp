#include "fileslistener.h"

#include <QTcpSocket>
#include <QTimer>

#include <algorithm>
#include <utility>

FilesConnection::FilesConnection(QTcpSocket *socket, int frameMsecs, int idleMsecs, QObject *parent)
    : QObject(parent), m_socket(socket), m_peer(socket->peerAddress()),
      m_deadline(new QTimer(this)), m_frameMsecs(frameMsecs), m_idleMsecs(idleMsecs)
{
    socket->setParent(this);
    // Qt reads no further ahead than one chunk and its frame: the kernel's
    // window holds the rest back.
    socket->setReadBufferSize(4 * (filesframe::ChunkBytes + 64));
    m_deadline->setSingleShot(true);
    connect(m_deadline, &QTimer::timeout, this, &FilesConnection::close);
    connect(socket, &QTcpSocket::readyRead, this, &FilesConnection::readable);
    connect(socket, &QTcpSocket::bytesWritten, this, &FilesConnection::written);
    connect(socket, &QTcpSocket::disconnected, this, &FilesConnection::close);
    connect(socket, &QTcpSocket::errorOccurred, this, &FilesConnection::close);
    // Each side's first frame (written as soon as the socket is connected);
    // the other's is a frame too: it must come in time.
    if (socket->isOpen())
        send(filesframe::Hello{QString::fromLatin1(filesframe::Version)});
    m_inFrame = true;
    m_deadline->start(m_frameMsecs);
}

FilesConnection *FilesConnection::open(const QHostAddress &to, quint16 port, int frameMsecs,
                                       int idleMsecs, QObject *parent, const QHostAddress &from)
{
    auto *socket = new QTcpSocket;
    if (!from.isNull() && from != QHostAddress(QHostAddress::AnyIPv4))
        socket->bind(from, 0);
    auto *connection = new FilesConnection(socket, frameMsecs, idleMsecs, parent);
    connection->m_peer = to;
    socket->connectToHost(to, port); // opens it: what is written waits for the connection
    connection->send(filesframe::Hello{QString::fromLatin1(filesframe::Version)});
    return connection;
}

QHostAddress FilesConnection::localAddress() const
{
    return m_socket->localAddress();
}

qint64 FilesConnection::unsent() const
{
    return m_socket->bytesToWrite();
}

void FilesConnection::send(const filesframe::Frame &frame)
{
    if (!m_closed)
        m_socket->write(filesframe::write(frame));
}

void FilesConnection::close()
{
    if (std::exchange(m_closed, true))
        return;
    m_deadline->stop();
    m_socket->abort();
    emit closed();
    deleteLater();
}

void FilesConnection::sendAndClose(const filesframe::Frame &frame)
{
    if (m_closed)
        return;
    send(frame);
    // disconnectFromHost writes what waits first; closed() follows the
    // disconnection, or the deadline if the other side never takes it.
    m_deadline->start(m_frameMsecs);
    m_socket->disconnectFromHost();
}

void FilesConnection::readable()
{
    while (!m_closed && m_socket->bytesAvailable() > 0) {
        // Never more than the frame being read still needs.
        const qint64 wanted = std::max<qint64>(1, m_reader.wanted());
        m_reader.feed(m_socket->read(std::min<qint64>(wanted, filesframe::ChunkBytes + 64)));
        while (const auto frame = m_reader.next()) {
            if (!m_greeted) {
                const auto *hello = std::get_if<filesframe::Hello>(&*frame);
                if (!hello || hello->version != QLatin1String(filesframe::Version))
                    return close();
                m_greeted = true;
                emit greeted();
                continue;
            }
            emit frameArrived(*frame);
            if (m_closed)
                return;
        }
        if (m_reader.broken())
            return close();
        // A frame begun has its deadline; between frames, the connection
        // may wait as long as a connection may idle.
        const bool between = m_greeted && m_reader.wanted() == 4;
        if (between) {
            m_inFrame = false;
            m_deadline->start(m_idleMsecs);
        } else if (!m_inFrame) {
            m_inFrame = true;
            m_deadline->start(m_frameMsecs);
        }
    }
}

FilesListener::FilesListener(QHostAddress address, quint16 port, Limits limits, QObject *parent)
    : QObject(parent), m_address(std::move(address)), m_port(port), m_limits(limits)
{
    m_server.setMaxPendingConnections(m_limits.total);
    connect(&m_server, &QTcpServer::newConnection, this, &FilesListener::accept);
}

bool FilesListener::listen()
{
    return m_server.listen(m_address, m_port);
}

void FilesListener::accept()
{
    while (QTcpSocket *socket = m_server.nextPendingConnection()) {
        const QHostAddress host = socket->peerAddress();
        if (m_total >= m_limits.total || m_perHost.value(host) >= m_limits.perHost) {
            socket->abort();
            socket->deleteLater();
            continue;
        }
        ++m_total;
        ++m_perHost[host];
        auto *connection =
            new FilesConnection(socket, m_limits.frameMsecs, m_limits.idleMsecs, this);
        connect(connection, &FilesConnection::closed, this, [this, host] {
            --m_total;
            if (--m_perHost[host] == 0)
                m_perHost.remove(host);
        });
        connect(connection, &FilesConnection::greeted, this,
                [this, connection] { emit connected(connection); });
    }
}
