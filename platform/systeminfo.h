#pragma once

#include <QByteArray>

class SystemInfo
{
public:
    virtual ~SystemInfo() = default;
    // The login name as the system writes it into a 20-byte buffer that was
    // filled with NUL bytes: the name's code page 932 bytes, then NULs. A name
    // that does not fit with its terminator leaves the buffer all NUL.
    virtual QByteArray loginNameBuffer() const = 0;
};
