#include "localuser.h"

#include "cp932.h"
#include "fieldtext.h"
#include "optsettings.h"

LocalUser::LocalUser(const QByteArray &loginBuffer, const QString &localAddress,
                     const OptSettings &settings)
    : m_settings(settings)
{
    take(loginBuffer, localAddress);
}

void LocalUser::take(const QByteArray &loginBuffer, const QString &localAddress)
{
    m_localAddress = localAddress;
    m_loginField = fieldtext::pad(cp932::decode(loginBuffer), fieldtext::NameWidth);
    const qsizetype nul = loginBuffer.indexOf('\0');
    m_usrName = cp932::decode(nul < 0 ? loginBuffer : loginBuffer.left(nul));
}

QString LocalUser::sendName() const
{
    return fieldtext::pad(m_settings.hasDisplayName() ? m_settings.optName : m_usrName,
                          fieldtext::NameWidth);
}

QString LocalUser::composeName() const
{
    const QString name = sendName();
    const qsizetype space = name.indexOf(u' ');
    if (space < 0)
        return name;
    return fieldtext::pad(QStringView(name).left(space + 1), fieldtext::NameWidth);
}

QString LocalUser::shortName() const
{
    return fieldtext::shortName(sendName());
}
