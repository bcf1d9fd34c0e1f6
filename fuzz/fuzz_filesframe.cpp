// Any bytes on the file channel, in any pieces: the reader never holds more
// than one frame, and every frame it gives reads back as itself.
#include "filesframe.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    filesframe::Reader reader;
    // In pieces of a size the first byte picks, as a socket hands them over.
    const qsizetype piece = bytes.isEmpty() ? 1 : 1 + quint8(bytes[0]) % 61;
    for (qsizetype at = 0; at < bytes.size() && !reader.broken(); at += piece) {
        reader.feed(bytes.mid(at, piece));
        while (const auto frame = reader.next()) {
            filesframe::Reader again;
            again.feed(filesframe::write(*frame));
            if (again.next() != frame)
                std::abort();
        }
        if (reader.wanted() > qsizetype(filesframe::MaxFrameBytes) + 4)
            std::abort();
    }
    return 0;
}
