#pragma once

#include "dialogs.h"

#include <QByteArray>
#include <QFileDevice>
#include <QString>

// The one way the program writes a file. The bytes go to a file beside it,
// are flushed and checked, and only then replace the earlier file, so a
// failed save leaves that file whole. A full disk asks the user diskFull's
// question (Retry or Cancel); Retry repeats the whole save.
namespace savefile {

enum class Result { Saved, Cancelled, Failed };

struct Outcome
{
    Result result = Result::Failed;
    QString error; // why it failed, in Japanese
};

Outcome save(const QString &path, const QByteArray &bytes, Dialogs &dialogs,
             const Dialogs::Box &diskFull, QFileDevice::Permissions permissions = {});

} // namespace savefile
