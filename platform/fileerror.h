#pragma once

#include <QFileDevice>
#include <QString>

// Why a file could not be saved or read, in the words of the program
// (Japanese), found by looking at the file and its folder: Qt's own reasons
// are English.
namespace fileerror {

QString saveReason(const QString &path, QFileDevice::FileError error);
QString readReason(const QString &path);

} // namespace fileerror
