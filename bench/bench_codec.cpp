// Decoding cost by shape of the bytes: hostile datagrams must cost no more
// than twice what well-formed text of the same length costs.
#include "cp932.h"

#include <QElapsedTimer>
#include <cstdio>

namespace {

QByteArray repeat(const QByteArray &unit, int size)
{
    QByteArray out;
    while (out.size() < size)
        out += unit;
    out.truncate(size);
    return out;
}

double microsPerDecode(const QByteArray &bytes)
{
    constexpr int Rounds = 400;
    qsizetype sink = 0;
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < Rounds; ++i)
        sink += cp932::decode(bytes).size();
    const double us = double(timer.nsecsElapsed()) / 1000.0 / Rounds;
    return sink > 0 ? us : 0;
}

} // namespace

int main()
{
    constexpr int Size = 60000;
    cp932::decode(QByteArray("warm")); // the tables are built once
    const struct
    {
        const char *name;
        QByteArray bytes;
    } shapes[] = {
        {"plain text", repeat("Hello, world. ", Size)},
        {"kanji", repeat("\x8a\xbf\x8e\x9a", Size)},
        {"character and stray byte", repeat("a\x81", Size)},
        {"0xFF", repeat("\xff", Size)},
        {"0x1A", repeat("\x1a", Size)},
        {"lead byte and bad trail", repeat("\x81\x20", Size)},
    };
    const double base =
        std::max(microsPerDecode(shapes[0].bytes), microsPerDecode(shapes[1].bytes));
    std::printf("decode of a %d-byte datagram:\n", Size);
    for (const auto &s : shapes) {
        const double us = microsPerDecode(s.bytes);
        std::printf("  %-26s %8.1f us  %.2fx well-formed\n", s.name, us, us / base);
    }
}
