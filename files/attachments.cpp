#include "attachments.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

Attachments::Attachments(QString pictures, QObject *parent)
    : QObject(parent), m_pictures(std::move(pictures))
{
}

QStringList Attachments::names() const
{
    QStringList names;
    for (const QString &path : m_paths) {
        const QFileInfo info(path);
        names << (info.isDir() ? info.fileName() + u'/' : info.fileName());
    }
    return names;
}

void Attachments::add(const QStringList &paths, QString *problem)
{
    QStringList unreadable;
    bool added = false;
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.exists() || !info.isReadable() || info.isSymLink()) {
            unreadable << QDir::toNativeSeparators(path);
            continue;
        }
        const QString whole = info.absoluteFilePath();
        if (m_paths.contains(whole))
            continue;
        m_paths << whole;
        added = true;
    }
    if (problem)
        *problem = unreadable.isEmpty()
                       ? QString()
                       : QStringLiteral("添付できません（読めないか、ﾘﾝｸです）: ") +
                             unreadable.join(QStringLiteral("、"));
    if (added)
        emit changed();
}

void Attachments::remove(int index)
{
    if (index < 0 || index >= m_paths.size())
        return;
    m_paths.removeAt(index);
    emit changed();
}

void Attachments::clear()
{
    if (m_paths.isEmpty())
        return;
    m_paths.clear();
    emit changed();
}

bool Attachments::addPicture(const QByteArray &png, const QDateTime &when, QString *problem)
{
    // Named by the time, so the recipient reads when it was taken; two in
    // one second are told apart by a number.
    const QString stem =
        QStringLiteral("貼り付け ") + when.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
    QString path = m_pictures + u'/' + stem + QStringLiteral(".png");
    for (int n = 2; QFileInfo::exists(path) || m_paths.contains(path); ++n)
        path = m_pictures + u'/' + stem + QStringLiteral(" (%1).png").arg(n);
    // Whole or not at all: a picture cut short by a full disk never goes.
    QSaveFile file(path);
    if (!QDir().mkpath(m_pictures) || !file.open(QIODevice::WriteOnly) ||
        file.write(png) != png.size() || !file.commit()) {
        *problem = QStringLiteral("貼り付けた画像を保存できません: ") +
                   QDir::toNativeSeparators(m_pictures) +
                   (file.errorString().isEmpty() ? QString() : u'\r' + file.errorString());
        return false;
    }
    m_paths << path;
    emit changed();
    return true;
}

void Attachments::prunePictures(const QDateTime &now)
{
    const QFileInfoList pictures =
        QDir(m_pictures).entryInfoList({QStringLiteral("*.png")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo &picture : pictures)
        if (picture.lastModified().msecsTo(now) > 25LL * 3600 * 1000 &&
            !m_paths.contains(picture.absoluteFilePath()))
            QFile::remove(picture.absoluteFilePath());
}
