#include "keepsettings.h"

#include <QSettings>

namespace {

const QString KeepKey = QStringLiteral("history/keep");
const QString CountKey = QStringLiteral("history/count");

} // namespace

KeepSettings::KeepSettings(QString userFile, QStringList systemFiles, QObject *parent)
    : QObject(parent), m_files(std::move(userFile), std::move(systemFiles))
{
    m_files.read(KeepKey, [this](QSettings &ini) {
        const QString keep = ini.value(KeepKey).toString();
        bool ok = false;
        const int count = ini.value(CountKey).toInt(&ok);
        // A count that is missing or not a number keeps everything: nothing
        // is removed by a mistake in the file.
        if (!ok || count < 1)
            m_rule = {};
        else if (keep == QLatin1String("days"))
            m_rule = {Keep::Days, count};
        else if (keep == QLatin1String("rows"))
            m_rule = {Keep::Rows, count};
        else
            m_rule = {};
    });
}

bool KeepSettings::setRule(const Rule &rule)
{
    if (rule == m_rule && m_saved)
        return true;
    const bool changedRule = !(rule == m_rule);
    m_rule = rule;
    m_saved = m_files.write([rule](QSettings &ini) {
        static const char *const names[] = {"all", "days", "rows"};
        ini.setValue(KeepKey, QLatin1String(names[int(rule.keep)]));
        if (rule.keep == Keep::All)
            ini.remove(CountKey);
        else
            ini.setValue(CountKey, rule.count);
    });
    if (changedRule)
        emit changed();
    return m_saved;
}
