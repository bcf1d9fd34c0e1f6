#pragma once

#include <QSqlDatabase>
#include <QString>
#include <functional>

// The store's file as another program opens it: a connection of its own
// for as long as f runs (read-only unless writing), gone after.
inline bool asOtherProgram(const QString &file, const std::function<void(QSqlDatabase &)> &f,
                           bool writing = false)
{
    const QString name = QStringLiteral("other-program");
    bool opened = false;
    {
        QSqlDatabase c = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        c.setDatabaseName(file);
        if (!writing)
            c.setConnectOptions(QStringLiteral("QSQLITE_OPEN_READONLY"));
        opened = c.open();
        if (opened)
            f(c);
        c.close();
    }
    QSqlDatabase::removeDatabase(name);
    return opened;
}
