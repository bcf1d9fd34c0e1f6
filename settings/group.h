#pragma once

#include <QList>
#include <QString>
#include <algorithm>

// A member of a group as the peer list shows it.
struct GroupMember
{
    QString login;
    QString address;
    bool operator==(const GroupMember &) const = default;
    // "login@address", as the file keeps it and the status bar names it.
    QString text() const { return login + u'@' + address; }
};

// A named set of peers to send to at once.
struct Group
{
    QString name;
    QList<GroupMember> members;
    bool operator==(const Group &) const = default;
};

// Adds the group, or replaces the one of its name.
inline void putGroup(QList<Group> &groups, const Group &group)
{
    const auto it = std::find_if(groups.begin(), groups.end(),
                                 [&group](const Group &g) { return g.name == group.name; });
    if (it != groups.end())
        *it = group;
    else
        groups << group;
}
