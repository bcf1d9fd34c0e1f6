#pragma once

#include <QString>
#include <functional>

// A name a peer gives a file or folder it offers, as this copy saves it: a
// relative path of parts separated by "/", which never leaves the folder it
// is saved into, and never takes the place of what is there.
namespace receivedname {

// A part, in UTF-8, as Linux file systems take it.
inline constexpr qsizetype MaxPartBytes = 255;
// Folders inside an offered folder.
inline constexpr qsizetype MaxDepth = 32;

// Why path cannot be saved as it stands, for the user; empty when it can.
QString problem(const QString &path);

// The first of name, "name (2)", "name (3)", ... that taken() says is free,
// the number before a file's suffix ("報告 (2).xlsx"); empty when none is
// within reach. A name too long for its number is shortened before it.
QString free(const QString &name, bool folder, const std::function<bool(const QString &)> &taken);

} // namespace receivedname
