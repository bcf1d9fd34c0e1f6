#include "statefolder.h"

#include <QDir>

QString stateFolder()
{
    QString base = qEnvironmentVariable("XDG_STATE_HOME");
    // XDG base directory rules: a relative path is ignored.
    if (base.isEmpty() || QDir::isRelativePath(base))
        base = QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/portana");
}
