#pragma once

class InstanceGuard
{
public:
    virtual ~InstanceGuard() = default;
    // True when this process is the only copy for this user; it then holds
    // the claim until it ends.
    virtual bool claim() = 0;
};
