#include "inivalue.h"

#include <QSettings>

namespace inivalue {
namespace {

// The key's neighbour in its section.
QString beside(const QString &key, const char *name)
{
    return key.left(key.lastIndexOf(u'/') + 1) + QLatin1String(name);
}

GroupMember member(const QString &text)
{
    // A login may hold "@"; an address never does.
    const qsizetype at = text.lastIndexOf(u'@');
    if (at < 0)
        return {text.trimmed(), QString()};
    return {text.left(at).trimmed(), text.mid(at + 1).trimmed()};
}

} // namespace

bool read(QSettings &ini, const QString &key, bool &value)
{
    const QString text = ini.value(key).toString().trimmed().toLower();
    if (text == QLatin1String("true") || text == QLatin1String("1"))
        value = true;
    else if (text == QLatin1String("false") || text == QLatin1String("0"))
        value = false;
    else
        return false;
    return true;
}

bool read(QSettings &ini, const QString &key, QString &value)
{
    if (!ini.contains(key))
        return false;
    const QVariant text = ini.value(key);
    // Written by hand without quotes, a comma splits a text: it is one.
    value = text.typeId() == QMetaType::QStringList ? text.toStringList().join(u',')
                                                    : text.toString();
    return true;
}

bool read(QSettings &ini, const QString &key, int &value)
{
    if (!ini.contains(key))
        return false;
    bool ok = false;
    const int number = ini.value(key).toString().trimmed().toInt(&ok);
    if (!ok || number < 0)
        return false;
    value = number;
    return true;
}

bool read(QSettings &ini, const QString &key, QStringList &value)
{
    if (!ini.contains(key))
        return false;
    value = ini.value(key).toStringList();
    value.removeAll(QString());
    return true;
}

bool read(QSettings &ini, const QString &key, KeepRule &value)
{
    const QString keep = ini.value(key).toString();
    if (keep == QLatin1String("all")) {
        value = {};
        return true;
    }
    bool ok = false;
    const int count = ini.value(beside(key, "count")).toInt(&ok);
    // A count that is missing or not a number removes nothing.
    if (!ok || count < 1)
        return false;
    if (keep == QLatin1String("days"))
        value = {KeepRule::Keep::Days, count};
    else if (keep == QLatin1String("rows"))
        value = {KeepRule::Keep::Rows, count};
    else
        return false;
    return true;
}

bool read(QSettings &ini, const QString &key, QList<Group> &value)
{
    if (!ini.contains(key + QStringLiteral("/size")))
        return false;
    QList<Group> groups;
    const int n = ini.beginReadArray(key);
    for (int i = 0; i < n; ++i) {
        ini.setArrayIndex(i);
        Group g{ini.value(QStringLiteral("name")).toString().trimmed(), {}};
        for (const QString &m : ini.value(QStringLiteral("members")).toStringList())
            if (!m.trimmed().isEmpty())
                g.members << member(m);
        if (!g.name.isEmpty() && !g.members.isEmpty())
            groups << g;
    }
    ini.endArray();
    value = groups;
    return true;
}

void write(QSettings &ini, const QString &key, bool value)
{
    ini.setValue(key, value);
}

void write(QSettings &ini, const QString &key, const QString &value)
{
    ini.setValue(key, value);
}

void write(QSettings &ini, const QString &key, int value)
{
    ini.setValue(key, value);
}

void write(QSettings &ini, const QString &key, const QStringList &value)
{
    ini.setValue(key, value);
}

void write(QSettings &ini, const QString &key, const KeepRule &value)
{
    static const char *const names[] = {"all", "days", "rows"};
    ini.setValue(key, QLatin1String(names[int(value.keep)]));
    if (value.keep == KeepRule::Keep::All)
        ini.remove(beside(key, "count"));
    else
        ini.setValue(beside(key, "count"), value.count);
}

void write(QSettings &ini, const QString &key, const QList<Group> &value)
{
    ini.remove(key);
    ini.beginWriteArray(key, int(value.size()));
    for (int i = 0; i < value.size(); ++i) {
        ini.setArrayIndex(i);
        QStringList members;
        for (const GroupMember &m : value[i].members)
            members << m.text();
        ini.setValue(QStringLiteral("name"), value[i].name);
        ini.setValue(QStringLiteral("members"), members);
    }
    ini.endArray();
}

} // namespace inivalue
