#pragma once

#include <QByteArray>
#include <QString>

// Code page 932 (Shift_JIS as Japanese Windows has it): the encoding of every
// datagram and file the program shares with other copies.
namespace cp932 {

// False when the Qt build has no CP932 codec; the program cannot talk then.
bool available();

// Each call decodes on its own: half a character never carries over, and
// invalid bytes become U+FFFD.
QString decode(QByteArrayView bytes);

// Characters that code page 932 cannot hold become '?'.
QByteArray encode(QStringView text);

} // namespace cp932
