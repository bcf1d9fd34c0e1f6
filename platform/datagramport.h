#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// The program's datagram endpoint: one listening socket on the well-known
// port and one sending socket. Every send carries its own destination, so a
// send started in the middle of another can never take over its target.
class DatagramPort : public QObject
{
    Q_OBJECT
public:
    enum class BindResult { Bound, InUse, Failed };

    using QObject::QObject;
    ~DatagramPort() override = default;

    virtual BindResult bind() = 0;
    virtual QString errorText() const = 0;
    // Dotted IPv4 text, as the listening socket sees this machine.
    virtual QString localAddress() const = 0;
    // False when the system refused the datagram (no route, not an address);
    // one it accepted may still be lost on the wire.
    virtual bool send(const QString &address, const QByteArray &bytes) = 0;
    // Why the last refused send was refused, for the user ("no route").
    virtual QString sendFailure() const { return {}; }

signals:
    // One signal per datagram; source is dotted IPv4 text.
    void arrived(const QByteArray &bytes, const QString &source);
    // The end of one batch: every datagram waiting was handed over, or as
    // many as one batch takes (the rest follow in the next).
    void drained();
};
