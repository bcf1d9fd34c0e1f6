#pragma once

#include <QByteArray>
#include <QString>

class DatagramPort;

// How every part puts a datagram on the wire: text in code page 932, each
// datagram with its own destination on port 50319.
class Transport
{
public:
    explicit Transport(DatagramPort &port) : m_port(port) {}

    // False when it could not leave.
    bool send(const QString &address, const QString &text);
    bool sendBytes(const QString &address, const QByteArray &bytes);
    // Why the last send that could not leave could not, for the user.
    QString failure() const;

private:
    DatagramPort &m_port;
};
