#pragma once

#include "optsettings.h"

#include <QByteArray>

// The bytes of optGFile.dat: nine CR LF lines of comma-separated fields in
// code page 932, first field "optGFile". A double quote in a value is
// written as an apostrophe (the format has no escape).
namespace optfile {

inline constexpr char FileName[] = "optGFile.dat";

QByteArray serialise(const OptSettings &settings);

enum class ParseResult { Read, Foreign };

// Fills settings from bytes, keeping the current value of every field the
// file does not give. Foreign when the first field is not "optGFile".
ParseResult parse(const QByteArray &bytes, OptSettings &settings);

} // namespace optfile
