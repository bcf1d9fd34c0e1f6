#pragma once

#include "instanceguard.h"

#include <QLockFile>
#include <memory>

// One copy per user and executable: a lock file in the user's runtime
// folder, named after the executable's path. A crashed copy's lock is stale
// and is taken over.
class LockFileInstanceGuard final : public InstanceGuard
{
public:
    bool claim() override;

private:
    std::unique_ptr<QLockFile> m_lock;
};
