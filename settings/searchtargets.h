#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>
#include <variant>

// Where a search goes beyond this copy's own subnets, as an administrator
// lists them: a host address, a directed broadcast address, a name, or a
// range in CIDR form. A range is searched one host address at a time.
namespace searchtargets {

// The widest range: 4,096 addresses (a /20).
inline constexpr quint32 MaxRange = 4096;
// The most one search sends to, every target together.
inline constexpr quint32 MaxAddresses = 4096;

struct Target
{
    QString text;          // as the user wrote it
    QString name;          // a host name to look up; empty for addresses
    quint32 first = 0;     // the first IPv4 address to search
    quint32 count = 0;     // how many, from first on
    quint32 broadcast = 0; // a range's broadcast address (a /30 or wider); 0: none
};

// One line as it was typed: the target it names, or why it cannot be one.
std::variant<Target, QString> parse(QStringView line);

// The address n of a target (0 to count - 1), as text.
QString address(const Target &target, quint32 n);

// How many addresses a target adds to a search (a name: the one it resolves to).
inline quint32 weight(const Target &target)
{
    return target.name.isEmpty() ? target.count : 1;
}

// Why the lines together cannot be one search (past MaxAddresses); empty
// when they can. Lines that are no target count nothing.
QString listProblem(const QStringList &lines);

} // namespace searchtargets
