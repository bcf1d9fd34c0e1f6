#include "letterfile.h"

#include "cp932.h"
#include "recordfile.h"

#include <QFile>
#include <QFileInfo>

namespace letterfile {

namespace {
// A note travels in one datagram; a file far beyond that is no note.
constexpr qint64 MaxBytes = 1 << 20;
} // namespace

bool isLetterFile(const QString &path)
{
    return path.endsWith(QLatin1String("txt"), Qt::CaseSensitive);
}

std::optional<QString> rdLetterFile(const QString &path)
{
    const QFileInfo info(path);
    QFile file(path);
    if (!info.isFile() || info.size() > MaxBytes || !file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // Read as a record file, the way the history file is: quotes and
    // commas go, the text between them stays.
    return recordfile::fields(cp932::decode(file.readAll()), recordfile::HistoryDialect)
        .join(QString());
}

} // namespace letterfile
