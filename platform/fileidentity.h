#pragma once

#include <QString>
#include <optional>

// Which file a path names right now: a file deleted or replaced under an
// open handle keeps the handle's identity, and the path gets another one.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;

    bool operator==(const FileIdentity &) const = default;
    // Nothing when nothing is at the path.
    static std::optional<FileIdentity> of(const QString &path);
};
