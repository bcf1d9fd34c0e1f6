#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>

// The comma/quote/CR LF record files other copies write (the settings file,
// the history file, notes dropped as files): fields separated by commas or
// line ends, a quoted field running to the next quote (line breaks and
// commas included), code page 932 on disk. The format has no escape.
namespace recordfile {

// A value as a quoted field: a double quote cannot be kept, and is written
// as an apostrophe so that the fields after it stay in place.
QString quoted(const QString &value);
// Lines joined, each ending in CR LF, in code page 932.
QByteArray encodeLines(const QStringList &lines);

struct Dialect
{
    bool skipEmptyLines = false; // a line end before a field (not after a comma) is passed over
    bool dateLiterals = false;   // #...# is one field, read as it stands
};
// The settings file reads every line end as a separator; the history file,
// and the notes dropped as files, pass over empty lines and keep date
// literals whole.
inline constexpr Dialect SettingsDialect{};
inline constexpr Dialect HistoryDialect{true, true};

class Reader
{
public:
    Reader(QString text, Dialect dialect);

    // Blanks skipped: nothing is left.
    bool atEnd();
    // The next field; nothing at the end of the data. Blanks before it and
    // around an unquoted one are dropped; whatever follows a closing quote
    // up to the separator is passed over.
    std::optional<QString> next();
    // Whether the last field closed its line (or the data).
    bool lineEnded() const { return m_lineEnded; }
    // A quote or number sign was still open at the end of the data.
    bool unclosed() const { return m_unclosed; }
    // Passes over the rest of the current line.
    void skipLine();

private:
    void skipBlanks();
    bool consumeSeparator();

    const QString m_text; // const: reading never detaches a copy of a shared text
    Dialect m_dialect;
    qsizetype m_at = 0;
    bool m_afterComma = false;
    bool m_lineEnded = false;
    bool m_unclosed = false;
};

// Every field of text, in order.
QStringList fields(QString text, Dialect dialect);

} // namespace recordfile
