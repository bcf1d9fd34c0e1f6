#pragma once

// How long the history is kept: everything, the last N days, or the last N
// rows.
struct KeepRule
{
    enum class Keep { All, Days, Rows };
    Keep keep = Keep::All;
    int count = 0; // days or rows, at least 1
    bool operator==(const KeepRule &) const = default;
};
