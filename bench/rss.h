#pragma once

#include <QFile>
#include <QString>

// This process's resident memory (kB): now, and the most since the last reset.
inline qint64 statusKb(const char *field)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(qstrlen(field))).trimmed().split(' ').first().toLongLong();
    return 0;
}
inline qint64 rssKb()
{
    return statusKb("VmRSS:");
}
inline qint64 peakRssKb()
{
    return statusKb("VmHWM:");
}
// Starts the peak over from what is resident now.
inline void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly))
        f.write("5");
}
