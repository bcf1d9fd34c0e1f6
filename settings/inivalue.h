#pragma once

#include "group.h"
#include "keeprule.h"

#include <QStringList>

class QSettings;

// How each type of portana.ini's options stands in the file. A read is
// false when the file does not hold the key, or holds what is no value of
// the type: the next file's value, or the default, stands then, and the
// value passed in is left as it was.
namespace inivalue {

bool read(QSettings &ini, const QString &key, bool &value);
bool read(QSettings &ini, const QString &key, QString &value);
// A whole number, 0 or more.
bool read(QSettings &ini, const QString &key, int &value);
bool read(QSettings &ini, const QString &key, QStringList &value);
// count is beside the key, in its section.
bool read(QSettings &ini, const QString &key, KeepRule &value);
// An array under key; a group without a name or members is passed over.
bool read(QSettings &ini, const QString &key, QList<Group> &value);

void write(QSettings &ini, const QString &key, bool value);
void write(QSettings &ini, const QString &key, const QString &value);
void write(QSettings &ini, const QString &key, int value);
void write(QSettings &ini, const QString &key, const QStringList &value);
void write(QSettings &ini, const QString &key, const KeepRule &value);
void write(QSettings &ini, const QString &key, const QList<Group> &value);

} // namespace inivalue
