#include "settingslocation.h"

#include "optfile.h"

#include <QDir>
#include <QFileInfo>

SettingsLocation locateSettings(const QString &programFolder, const QString &configFolder)
{
    const QString name = QString::fromLatin1(optfile::FileName);
    const QString config = QDir(configFolder).filePath(name);
    const QFileInfo beside(QDir(programFolder).filePath(name));
    if (programFolder.isEmpty() || !(beside.exists() || beside.isSymLink()))
        return {config, configFolder};
    const QString canonical = QFileInfo(programFolder).canonicalFilePath();
    const bool system =
        canonical == QLatin1String("/usr") || canonical.startsWith(QLatin1String("/usr/"));
    if (!system && QFileInfo(programFolder).isWritable())
        return {beside.filePath(), programFolder};
    // A copy that cannot be kept where it stands: the starting point, once.
    if (QFileInfo::exists(config))
        return {config, configFolder};
    return {beside.filePath(), configFolder, true};
}
