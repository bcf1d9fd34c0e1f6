#include "asideconnection.h"

#include <QSqlQuery>
#include <QUrl>

#include <atomic>

AsideConnection::AsideConnection(const char *prefix, const QString &path,
                                 const FileIdentity &identity, int busyMs, int cacheKb)
{
    static std::atomic<int> counter{0};
    m_name = QStringLiteral("portana-%1-%2").arg(QLatin1String(prefix)).arg(++counter);
    m_db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_name);
    // mode=rw: a file deleted meanwhile is not made anew.
    QUrl uri = QUrl::fromLocalFile(path);
    uri.setQuery(QStringLiteral("mode=rw"));
    m_db.setDatabaseName(uri.toString(QUrl::FullyEncoded));
    m_db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=%1;QSQLITE_OPEN_URI").arg(busyMs));
    m_ours = m_db.open() && FileIdentity::of(path) == identity;
    if (m_ours)
        QSqlQuery(m_db).exec(QStringLiteral("PRAGMA cache_size = -%1").arg(cacheKb));
}

AsideConnection::~AsideConnection()
{
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}
