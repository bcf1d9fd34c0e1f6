#include "receivedname.h"

#include "fieldtext.h"

#include <QStringList>

#include <algorithm>

namespace receivedname {

namespace {

qsizetype utf8Bytes(const QString &text)
{
    return text.toUtf8().size();
}

} // namespace

QString problem(const QString &path)
{
    if (path.isEmpty())
        return QStringLiteral("名前がありません。");
    if (path.startsWith(u'/'))
        return QStringLiteral("絶対ﾊﾟｽです。");
    const QStringList parts = path.split(u'/');
    if (parts.size() > MaxDepth + 1)
        return QStringLiteral("ﾌｫﾙﾀﾞが深すぎます。");
    for (const QString &part : parts) {
        if (part.isEmpty())
            return QStringLiteral("空の名前があります。");
        if (part == u"." || part == u"..")
            return QStringLiteral("「%1」は名前に使えません。").arg(part);
        // A separator of another system inside one name.
        if (part.contains(u'\\'))
            return QStringLiteral("名前の中に区切り文字があります。");
        if (std::any_of(part.begin(), part.end(), fieldtext::isUnprintable))
            return QStringLiteral("名前に制御文字があります。");
        if (utf8Bytes(part) > MaxPartBytes)
            return QStringLiteral("名前が長すぎます（%1 ﾊﾞｲﾄまで）。").arg(MaxPartBytes);
    }
    return {};
}

QString free(const QString &name, bool folder, const std::function<bool(const QString &)> &taken)
{
    if (!taken(name))
        return name;
    // ".profile" has no suffix, nor has a folder.
    const qsizetype dot = folder ? -1 : name.lastIndexOf(u'.');
    QString base = dot > 0 ? name.left(dot) : name;
    const QString suffix = dot > 0 ? name.mid(dot) : QString();
    for (int n = 2; n <= 9999; ++n) {
        const QString number = QStringLiteral(" (%1)").arg(n);
        while (!base.isEmpty() && utf8Bytes(base + number + suffix) > MaxPartBytes)
            base.chop(base.size() > 1 && base.back().isLowSurrogate() ? 2 : 1);
        if (base.isEmpty())
            return {};
        const QString candidate = base + number + suffix;
        if (!taken(candidate))
            return candidate;
    }
    return {};
}

} // namespace receivedname
