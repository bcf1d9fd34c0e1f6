#include "groupsettings.h"

#include <QSettings>

namespace {

const QString Section = QStringLiteral("groups");

GroupMember member(const QString &text)
{
    // A login may hold "@"; an address never does.
    const qsizetype at = text.lastIndexOf(u'@');
    if (at < 0)
        return {text.trimmed(), QString()};
    return {text.left(at).trimmed(), text.mid(at + 1).trimmed()};
}

} // namespace

GroupSettings::GroupSettings(QString userFile, QStringList systemFiles, QObject *parent)
    : QObject(parent), m_files(std::move(userFile), std::move(systemFiles))
{
    m_files.read(Section + QStringLiteral("/size"), [this](QSettings &ini) {
        const int n = ini.beginReadArray(Section);
        for (int i = 0; i < n; ++i) {
            ini.setArrayIndex(i);
            Group g{ini.value(QStringLiteral("name")).toString().trimmed(), {}};
            for (const QString &m : ini.value(QStringLiteral("members")).toStringList())
                if (!m.trimmed().isEmpty())
                    g.members << member(m);
            if (!g.name.isEmpty() && !g.members.isEmpty())
                m_groups << g;
        }
        ini.endArray();
    });
}

bool GroupSettings::save(const Group &group)
{
    auto it = std::find_if(m_groups.begin(), m_groups.end(),
                           [&group](const Group &g) { return g.name == group.name; });
    if (it != m_groups.end())
        *it = group;
    else
        m_groups << group;
    return write();
}

bool GroupSettings::remove(const QString &name)
{
    m_groups.removeIf([&name](const Group &g) { return g.name == name; });
    return write();
}

bool GroupSettings::write()
{
    emit changed();
    return m_files.write([this](QSettings &ini) {
        ini.remove(Section);
        ini.beginWriteArray(Section, int(m_groups.size()));
        for (int i = 0; i < m_groups.size(); ++i) {
            ini.setArrayIndex(i);
            QStringList members;
            for (const GroupMember &m : m_groups[i].members)
                members << m.text();
            ini.setValue(QStringLiteral("name"), m_groups[i].name);
            ini.setValue(QStringLiteral("members"), members);
        }
        ini.endArray();
    });
}
