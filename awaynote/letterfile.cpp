#include "letterfile.h"

#include "historyfile.h"

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
    return historyfile::fields(file.readAll()).join(QString());
}

} // namespace letterfile
