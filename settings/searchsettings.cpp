#include "searchsettings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {

const QString Key = QStringLiteral("search/targets");

} // namespace

SearchSettings::SearchSettings(QString userFile, QStringList systemFiles, QObject *parent)
    : QObject(parent), m_userFile(std::move(userFile)), m_systemFiles(std::move(systemFiles))
{
    read();
}

void SearchSettings::read()
{
    m_targets.clear();
    // The least important first, each read over the one before.
    QStringList files{m_userFile};
    for (const QString &file : m_systemFiles)
        files.prepend(file);
    for (const QString &file : files) {
        if (!QFileInfo(file).isFile())
            continue;
        const QSettings ini(file, QSettings::IniFormat);
        if (ini.contains(Key)) {
            m_targets = ini.value(Key).toStringList();
            m_targets.removeAll(QString());
        }
    }
}

bool SearchSettings::setTargets(const QStringList &targets)
{
    // An unchanged list is written again only when the last write failed.
    if (targets == m_targets && m_saved)
        return true;
    m_targets = targets;
    QDir().mkpath(QFileInfo(m_userFile).absolutePath());
    QSettings ini(m_userFile, QSettings::IniFormat);
    ini.setValue(Key, targets);
    ini.sync();
    m_saved = ini.status() == QSettings::NoError;
    return m_saved;
}
