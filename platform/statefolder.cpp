#include "statefolder.h"

#include <QDir>

QString stateFolder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // The base directory specification: a relative path is to be ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/portana");
}
