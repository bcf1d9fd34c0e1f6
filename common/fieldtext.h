#pragma once

#include <QDateTime>
#include <QString>

// Fixed-width text fields and the time and date texts every datagram, the
// history and the settings share.
namespace fieldtext {

constexpr int NameWidth = 20;

// Left-aligned, space-filled to width characters, cut when longer.
QString pad(QStringView text, int width);

// The 1-based field [pos, pos+width) of text; only what is there (maybe nothing).
QStringView field(QStringView text, int pos, int width);
// From 1-based pos to the end; empty when text is shorter.
QStringView tail(QStringView text, int pos);

// Up to and including the first space; empty when there is no space.
QString shortName(QStringView field);

// Text before the first space of a history-reference field, as a row number;
// 0 when it is not a number (0 names no row).
int rowNumber(QStringView field);

// Line breaks as they travel: CR LF, whatever the text box used.
QString crlf(QStringView text);

// True when text holds a control character other than tab, CR and LF (a
// NUL, an escape): no text a person typed, and one a field would cut.
bool hasControl(QStringView text);

// C0, DEL, C1 and the line and paragraph separators, tab, CR and LF among
// them: nothing a name holds, and some of it a terminal obeys.
bool isUnprintable(QChar c);
// A peer's text as one line shows it: each unprintable character a space.
QString unprintablesAsSpaces(QString text);

// True when every character is a space (the empty text too).
bool isBlank(QStringView text);

// "hh:mm:ss" on the 24-hour clock.
QString timeText(const QDateTime &when);
// Two-digit year, month and day joined by "/".
QString dateText(const QDateTime &when);

} // namespace fieldtext
