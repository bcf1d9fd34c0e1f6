#include "transport.h"

#include "cp932.h"
#include "datagramport.h"

bool Transport::send(const QString &address, const QString &text)
{
    return sendBytes(address, cp932::encode(text));
}

bool Transport::sendBytes(const QString &address, const QByteArray &bytes)
{
    return m_port.send(address, bytes);
}

QString Transport::failure() const
{
    return m_port.sendFailure();
}
