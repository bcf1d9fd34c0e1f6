// Any bytes decode, and what they decode to survives encode and decode again.
#include "cp932.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArrayView bytes(data, qsizetype(size));
    const QString text = cp932::decode(bytes);
    if (text.size() > bytes.size())
        std::abort(); // never more characters than bytes
    const QByteArray once = cp932::encode(text);
    if (cp932::encode(cp932::decode(once)) != once)
        std::abort(); // decode then encode is stable
    return 0;
}
