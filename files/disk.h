#pragma once

#include <QByteArrayView>
#include <QString>

class QFile;

// What receiving a file does to the disk, each step reporting whether it
// took (a test fails them one by one: a full disk, an I/O error).
class Disk
{
public:
    virtual ~Disk() = default;
    // Written and flushed: the bytes are the system's.
    virtual bool append(QFile &file, QByteArrayView bytes);
    virtual bool makeFolder(const QString &path);
    // Never over an existing name.
    virtual bool rename(const QString &from, const QString &to);
    virtual qint64 freeBytes(const QString &folder);
    // Why the last step did not take, for the user.
    QString failure;
};
