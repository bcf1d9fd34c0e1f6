#pragma once

#include "fileidentity.h"

#include <QSqlDatabase>
#include <QString>

// The store worker's connection to the file at path, made on its thread
// and removed with it.
class AsideConnection
{
public:
    // prefix names the connection; busyMs: how long a write waits for the
    // lock; cacheKb: its page cache.
    AsideConnection(const char *prefix, const QString &path, const FileIdentity &identity,
                    int busyMs, int cacheKb);
    ~AsideConnection();
    AsideConnection(const AsideConnection &) = delete;
    AsideConnection &operator=(const AsideConnection &) = delete;

    // Open, on the file identity names. Another file at the path since: a
    // connection that has read nothing leaves it and its log alone.
    bool ours() const { return m_ours; }
    QSqlDatabase &db() { return m_db; }
    QString name() const { return m_name; }

private:
    QString m_name;
    QSqlDatabase m_db;
    bool m_ours = false;
};
