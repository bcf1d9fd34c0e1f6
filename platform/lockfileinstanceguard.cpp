#include "lockfileinstanceguard.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

InstanceGuard::Claim LockFileInstanceGuard::claim()
{
    QString folder = m_folder;
    if (folder.isEmpty())
        folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty())
        folder = QDir::tempPath();
    if (!QDir().mkpath(folder)) {
        m_error = folder + QStringLiteral(" を作れません。");
        return Claim::Failed;
    }
    QString program = QFileInfo(QCoreApplication::applicationFilePath()).canonicalFilePath();
    if (program.isEmpty())
        program = QCoreApplication::applicationFilePath();
    const QByteArray key = QCryptographicHash::hash(program.toUtf8(), QCryptographicHash::Sha1);
    const QString path = folder + QStringLiteral("/portana-") +
                         QString::fromLatin1(key.toHex().left(16)) + QStringLiteral(".lock");
    m_lock = std::make_unique<QLockFile>(path);
    m_lock->setStaleLockTime(0); // only a dead owner makes the lock stale
    if (m_lock->tryLock(0))
        return Claim::Claimed;
    switch (m_lock->error()) {
    case QLockFile::LockFailedError:
        return Claim::HeldByAnother;
    case QLockFile::PermissionError:
        m_error = path + QStringLiteral(" に書き込めません。");
        break;
    default:
        m_error = path + QStringLiteral(" を作れません。");
        break;
    }
    return Claim::Failed;
}
