#pragma once

#include <QByteArray>
#include <QString>

// Code page 932 (Shift_JIS as Japanese Windows has it): the encoding of every
// datagram and file the program shares with other copies. The tables are
// built with the program (cp932gen), so nothing can be missing at run time.
namespace cp932 {

// Each call decodes on its own: half a character never carries over, and
// invalid bytes become U+FFFD.
QString decode(QByteArrayView bytes);

// Characters that code page 932 cannot hold become '?'.
QByteArray encode(QStringView text);

} // namespace cp932
