#include "fileerror.h"

#include <QFileInfo>

namespace fileerror {

QString saveReason(const QString &path, QFileDevice::FileError error)
{
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (error == QFileDevice::ResourceError)
        return QStringLiteral("ﾃﾞｨｽｸの空き容量が不足しています。");
    if (!folder.isDir())
        return QStringLiteral("保存先のﾌｫﾙﾀﾞがありません。");
    if (file.isDir())
        return QStringLiteral("同じ名前のﾌｫﾙﾀﾞがあります。");
    if (file.exists() && !file.isWritable())
        return QStringLiteral("ﾌｧｲﾙに書き込む権限がありません。");
    if (!folder.isWritable())
        return QStringLiteral("ﾌｫﾙﾀﾞに書き込む権限がありません。");
    return QStringLiteral("書き込みに失敗しました。");
}

QString readReason(const QString &path)
{
    const QFileInfo file(path);
    if (!file.exists())
        return QStringLiteral("ﾌｧｲﾙがありません。");
    if (!file.isFile())
        return QStringLiteral("通常のﾌｧｲﾙではありません。");
    if (!file.isReadable())
        return QStringLiteral("ﾌｧｲﾙを読む権限がありません。");
    return QStringLiteral("読み込みに失敗しました。");
}

} // namespace fileerror
