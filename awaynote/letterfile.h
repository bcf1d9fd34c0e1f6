#pragma once

#include <QString>
#include <optional>

// A text file dropped on the away note: its fields, read by the history
// file's rules, joined with nothing between them. Nothing when it cannot be
// read (or is too large for any note to carry).
namespace letterfile {

// Only names whose last three characters are exactly "txt" are read.
bool isLetterFile(const QString &path);
std::optional<QString> rdLetterFile(const QString &path);

} // namespace letterfile
