#pragma once

#include <QByteArray>
#include <QString>

struct OptSettings;

// Who this copy is on the wire: the login name as the system gave it, the
// local address, and the send name worked out from the settings as they are
// now.
class LocalUser
{
public:
    explicit LocalUser(const OptSettings &settings) : m_settings(settings) {}
    LocalUser(const QByteArray &loginBuffer, const QString &localAddress,
              const OptSettings &settings);

    // Taken once at start-up: the login-name buffer and this machine's address.
    void take(const QByteArray &loginBuffer, const QString &localAddress);

    // The raw 20-byte buffer decoded: name, NULs, spaces to 20 characters.
    const QString &loginField() const { return m_loginField; }
    const QString &localAddress() const { return m_localAddress; }

    // Display name when set, else the login name; 20 characters.
    QString sendName() const;
    // The send name with everything after its first space blanked.
    QString composeName() const;
    // Up to and including the first space of the send name.
    QString shortName() const;

private:
    QString m_loginField = QString(20, u' ');
    QString m_usrName;
    QString m_localAddress;
    const OptSettings &m_settings;
};
