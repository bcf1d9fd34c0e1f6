#pragma once

#include "inilayers.h"

#include <QList>
#include <QObject>
#include <QString>

// A member of a group as the peer list shows it.
struct GroupMember
{
    QString login;
    QString address;
    bool operator==(const GroupMember &) const = default;
    // "login@address", as the file keeps it and the status bar names it.
    QString text() const { return login + u'@' + address; }
};

struct Group
{
    QString name;
    QList<GroupMember> members;
};

// Named sets of peers to send to at once, from portana.ini ([groups]: an
// array of name and members, each member "login@address"). A list an
// office hands out in a system-wide file is in force until the user saves
// one of their own.
class GroupSettings : public QObject
{
    Q_OBJECT
public:
    // systemFiles: most important first, as XDG_CONFIG_DIRS lists them.
    GroupSettings(QString userFile, QStringList systemFiles, QObject *parent = nullptr);

    const QList<Group> &groups() const { return m_groups; }
    // Adds the group, or replaces the one of its name; false when the file
    // could not be written (the groups are in force all the same, and the
    // next change writes them again).
    bool save(const Group &group);
    bool remove(const QString &name);

signals:
    void changed();

private:
    bool write();

    IniLayers m_files;
    QList<Group> m_groups;
};
