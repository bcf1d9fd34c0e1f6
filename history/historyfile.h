#pragma once

#include "historymodel.h"

#include <QByteArray>
#include <QDateTime>
#include <functional>
#include <vector>

// The history file: a header record, then one record of six quoted fields
// per history row, CR LF lines in code page 932.
namespace historyfile {

inline constexpr char Signature[] = "FileName:dataFile";

// The header holds the save date and time and the status text; every row
// its six fields as they stand. A double quote (the format has no escape)
// is written as an apostrophe, so that the file reads back row for row.
QByteArray write(const HistoryModel &history, const QDateTime &now, const QString &statusText);
// The same of the rows rows hands to take, in their order (the rows a search found).
using Take = std::function<void(const HistoryRow &)>;
QByteArray write(const std::function<void(const Take &)> &rows, const QDateTime &now,
                 const QString &statusText);

struct ReadResult
{
    bool isHistory = false; // the first field is the signature
    std::vector<HistoryRow> rows;
    // The file ends inside its header or a record (a quote never closed
    // counts too): a part of a file, so none of its rows are given.
    bool cutShort = false;
};

// Fields are separated by commas or line ends, blanks before a field are
// skipped, a quoted field runs to the next quote (line breaks included), a
// date or time between number signs is plain text. Each record takes the
// fields it needs wherever they stand.
ReadResult read(QByteArrayView bytes);
// The same over decoded text, each row handed to take as it is read (false
// from take stops the reading); the result holds no rows. A cut file has
// then handed over rows before it was found cut: the caller drops them.
ReadResult read(const QString &text, const std::function<bool(HistoryRow &&)> &take);

} // namespace historyfile
