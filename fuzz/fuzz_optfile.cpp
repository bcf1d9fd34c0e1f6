// Any bytes in place of optGFile.dat read without harm, and what was read
// is written back in a form that reads the same.
#include "optfile.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    OptSettings settings;
    if (optfile::parse(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)),
                       settings) != optfile::ParseResult::Read)
        return 0;
    const QByteArray written = optfile::serialise(settings);
    OptSettings again;
    if (optfile::parse(written, again) != optfile::ParseResult::Read ||
        optfile::serialise(again) != written)
        std::abort();
    return 0;
}
