#include "disk.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

bool Disk::append(QFile &file, QByteArrayView bytes)
{
    if (file.write(bytes.data(), bytes.size()) == bytes.size() && file.flush())
        return true;
    failure = file.errorString();
    return false;
}

bool Disk::makeFolder(const QString &path)
{
    if (QDir().mkdir(path))
        return true;
    failure = QStringLiteral("ﾌｫﾙﾀﾞを作れません: ") + path;
    return false;
}

bool Disk::rename(const QString &from, const QString &to)
{
    // Not QFile::rename: where renaming fails it copies, and a copy cut by a
    // full disk would stand under the final name. The two names stand side
    // by side, so a rename is all it takes; the look before it guards
    // against a name taken since the fetch began (only a local program
    // could slip one in between).
    if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
        failure = QStringLiteral("既にあります: ") + to;
        return false;
    }
    if (std::rename(QFile::encodeName(from).constData(), QFile::encodeName(to).constData()) == 0)
        return true;
    failure = QString::fromLocal8Bit(std::strerror(errno));
    return false;
}

qint64 Disk::freeBytes(const QString &folder)
{
    return QStorageInfo(folder).bytesAvailable();
}
