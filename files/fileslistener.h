#pragma once

#include "filesframe.h"

#include <QHash>
#include <QHostAddress>
#include <QObject>
#include <QTcpServer>

class QTcpSocket;
class QTimer;

// One connection on the file channel: frames in, frames out. It closes
// itself on a broken frame, a frame not finished in time, or a first frame
// that is not this version's hello.
class FilesConnection : public QObject
{
    Q_OBJECT
public:
    FilesConnection(QTcpSocket *socket, int frameMsecs, int idleMsecs, QObject *parent = nullptr);
    // A connection this copy opens. Either side sends its hello first and
    // awaits the other's as any frame.
    // from: the address it leaves from (none: as the system routes it).
    static FilesConnection *open(const QHostAddress &to, quint16 port, int frameMsecs,
                                 int idleMsecs, QObject *parent,
                                 const QHostAddress &from = QHostAddress());

    QHostAddress peer() const { return m_peer; }
    // The address this side is seen from, once connected.
    QHostAddress localAddress() const;
    void send(const filesframe::Frame &frame);
    // Bytes sent but not yet taken by the system: a sender keeps this low.
    qint64 unsent() const;
    // Closes it; what was not yet read is dropped.
    void close();
    // Sends frame, then closes once it has left (the last word of a side).
    void sendAndClose(const filesframe::Frame &frame);

signals:
    // The other side spoke this version's hello.
    void greeted();
    // After the hello: every frame as it comes.
    void frameArrived(const filesframe::Frame &frame);
    // Some of what was sent left.
    void written();
    void closed();

private:
    void readable();

    QTcpSocket *m_socket;
    QHostAddress m_peer;
    filesframe::Reader m_reader;
    QTimer *m_deadline;
    int m_frameMsecs;
    int m_idleMsecs;
    bool m_inFrame = false;
    bool m_greeted = false;
    bool m_closed = false;
};

// The file channel's listener. What anyone on the network can cost it is
// bounded: a few connections per host and in all (one past is closed at
// once), a deadline for each frame, frames of bounded size read as they
// come (Qt's own buffer bounded too), so no memory grows with a file.
class FilesListener : public QObject
{
    Q_OBJECT
public:
    struct Limits
    {
        int perHost = 4;
        int total = 32;
        int frameMsecs = 15000; // from a frame's first byte to its last
        int idleMsecs = 120000; // between frames
    };

    FilesListener(QHostAddress address, quint16 port, Limits limits, QObject *parent = nullptr);

    bool listen();
    QHostAddress address() const { return m_address; }
    QString errorText() const { return m_server.errorString(); }
    int connections() const { return m_total; }

signals:
    // A connection that said hello; it is the listener's child until closed.
    void connected(FilesConnection *connection);

private:
    void accept();

    QTcpServer m_server;
    QHostAddress m_address;
    quint16 m_port;
    Limits m_limits;
    QHash<QHostAddress, int> m_perHost;
    int m_total = 0;
};
