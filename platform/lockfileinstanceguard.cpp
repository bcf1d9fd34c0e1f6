#include "lockfileinstanceguard.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QStandardPaths>

bool LockFileInstanceGuard::claim()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    QDir().mkpath(folder);
    const QByteArray key = QCryptographicHash::hash(
        QCoreApplication::applicationFilePath().toUtf8(), QCryptographicHash::Sha1);
    const QString path = folder + QStringLiteral("/portana-") +
                         QString::fromLatin1(key.toHex().left(16)) + QStringLiteral(".lock");
    m_lock = std::make_unique<QLockFile>(path);
    m_lock->setStaleLockTime(0); // only a dead owner makes the lock stale
    return m_lock->tryLock(0);
}
