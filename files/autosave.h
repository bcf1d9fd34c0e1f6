#pragma once

#include "filesframe.h"

// Whether files offered with a message are saved as they arrive, before
// anyone opens the message: only when the user asked for it, no password
// keeps the message closed, the sender is a peer in the list, and all of
// it stays within the size the user set.
struct AutoSave
{
    bool on = false;
    bool gated = false;
    bool listed = false;
    int maxMegabytes = 0;

    bool saves(const filesframe::Offer &offer) const;
};

// What the entries of an offer hold in all.
quint64 offeredBytes(const filesframe::Offer &offer);
