#include "notifysettings.h"

#include <QSettings>

namespace {

const QString Key = QStringLiteral("notify/withTray");

} // namespace

NotifySettings::NotifySettings(QString userFile, QStringList systemFiles, QObject *parent)
    : QObject(parent), m_files(std::move(userFile), std::move(systemFiles))
{
    m_files.read(Key, [this](QSettings &ini) { m_withTray = ini.value(Key).toBool(); });
}

bool NotifySettings::setWithTray(bool on)
{
    if (on == m_withTray && m_saved)
        return true;
    m_withTray = on;
    m_saved = m_files.write([on](QSettings &ini) { ini.setValue(Key, on); });
    return m_saved;
}
