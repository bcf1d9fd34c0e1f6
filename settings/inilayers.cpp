#include "inilayers.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

IniLayers::IniLayers(QString userFile, QStringList systemFiles)
    : m_userFile(std::move(userFile)), m_systemFiles(std::move(systemFiles))
{
}

bool IniLayers::read(const std::function<bool(QSettings &)> &reader) const
{
    for (const QString &file : QStringList{m_userFile} + m_systemFiles) {
        if (!QFileInfo(file).isFile())
            continue;
        QSettings ini(file, QSettings::IniFormat);
        if (reader(ini))
            return true;
    }
    return false;
}

bool IniLayers::write(const std::function<void(QSettings &)> &writer) const
{
    QDir().mkpath(QFileInfo(m_userFile).absolutePath());
    QSettings ini(m_userFile, QSettings::IniFormat);
    writer(ini);
    ini.sync();
    return ini.status() == QSettings::NoError;
}
