#include "searchsettings.h"

#include <QSettings>

namespace {

const QString Key = QStringLiteral("search/targets");

} // namespace

SearchSettings::SearchSettings(QString userFile, QStringList systemFiles, QObject *parent)
    : QObject(parent), m_files(std::move(userFile), std::move(systemFiles))
{
    read();
}

void SearchSettings::read()
{
    m_targets.clear();
    m_files.read(Key, [this](QSettings &ini) {
        m_targets = ini.value(Key).toStringList();
        m_targets.removeAll(QString());
    });
}

bool SearchSettings::setTargets(const QStringList &targets)
{
    // An unchanged list is written again only when the last write failed.
    if (targets == m_targets && m_saved)
        return true;
    m_targets = targets;
    m_saved = m_files.write([&targets](QSettings &ini) { ini.setValue(Key, targets); });
    return m_saved;
}
