#pragma once

#include <QString>

class InstanceGuard
{
public:
    enum class Claim { Claimed, HeldByAnother, Failed };

    virtual ~InstanceGuard() = default;
    // Claimed when this process is the only copy for this user; it then
    // holds the claim until it ends. Failed: the claim could not be made at
    // all (errorText says why), which says nothing about other copies.
    virtual Claim claim() = 0;
    virtual QString errorText() const = 0;
};
