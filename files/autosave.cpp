#include "autosave.h"

#include <limits>

bool AutoSave::saves(const filesframe::Offer &offer) const
{
    return on && !gated && listed && offeredBytes(offer) <= quint64(maxMegabytes) << 20;
}

quint64 offeredBytes(const filesframe::Offer &offer)
{
    quint64 total = 0;
    for (const filesframe::Entry &e : offer.entries)
        // A peer may claim any size: the sum stops at the largest there is.
        if (!e.folder)
            total = e.size > std::numeric_limits<quint64>::max() - total
                        ? std::numeric_limits<quint64>::max()
                        : total + e.size;
    return total;
}
