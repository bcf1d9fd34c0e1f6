#pragma once

#include "instanceguard.h"

#include <QLockFile>
#include <memory>

// One copy per user and executable: a lock file in the user's runtime
// folder, named after the executable's real path (a link to it is the same
// program). A crashed copy's lock is stale and is taken over.
class LockFileInstanceGuard final : public InstanceGuard
{
public:
    // folder: where the lock lives; empty for the user's runtime folder.
    explicit LockFileInstanceGuard(QString folder = {}) : m_folder(std::move(folder)) {}

    Claim claim() override;
    QString errorText() const override { return m_error; }

private:
    QString m_folder;
    QString m_error;
    std::unique_ptr<QLockFile> m_lock;
};
