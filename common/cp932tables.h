#pragma once

#include <QtGlobal>

// Code page 932 as Japanese Windows reads and writes it, built at build time
// from Qt's codec (cp932gen).
namespace cp932::tables {

constexpr bool isLead(uchar b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

constexpr bool isTrail(uchar b)
{
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

// Where a lead and a trail byte stand in pair.
constexpr int pairIndex(uchar lead, uchar trail)
{
    return (lead <= 0x9F ? lead - 0x81 : lead - 0xE0 + 0x1F) * 256 + trail;
}

// A byte alone.
extern const char16_t single[256];
// A lead and a trail byte: (lead - 0x81, or lead - 0xE0 + 0x1F) * 256 + trail.
extern const char16_t pair[64 * 256];
// A character's bytes: below 0x100 one byte, else lead and trail; FFFF: none.
extern const quint16 code[0x10000];

} // namespace cp932::tables
