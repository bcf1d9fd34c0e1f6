#include "hostsysteminfo.h"

#include "cp932.h"

#include <pwd.h>
#include <unistd.h>

#include <QString>

QByteArray HostSystemInfo::loginNameBuffer() const
{
    constexpr int BufferSize = 20;
    QByteArray buffer(BufferSize, '\0');
    const passwd *pw = getpwuid(geteuid());
    if (!pw || !pw->pw_name)
        return buffer;
    const QByteArray name = cp932::encode(QString::fromLocal8Bit(pw->pw_name));
    // The name and its terminator must fit, or the call fails and the
    // buffer keeps its NUL fill.
    if (name.size() + 1 > BufferSize)
        return buffer;
    buffer.replace(0, name.size(), name);
    return buffer;
}
