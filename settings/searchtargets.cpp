#include "searchtargets.h"

#include <QHostAddress>
#include <QRegularExpression>

namespace searchtargets {
namespace {

const QString NotATarget = QStringLiteral("ｱﾄﾞﾚｽ、ﾎｽﾄ名、範囲のどれでもありません。");

bool isIpv4(const QString &text, quint32 *value)
{
    // QHostAddress also takes forms like "10" or "10.1" and IPv6: only the
    // four-part dotted form is an address here.
    static const QRegularExpression dotted(QStringLiteral("^\\d{1,3}(\\.\\d{1,3}){3}$"));
    if (!dotted.match(text).hasMatch())
        return false;
    bool ok = false;
    const quint32 v = QHostAddress(text).toIPv4Address(&ok);
    if (ok && value)
        *value = v;
    return ok;
}

bool isHostName(const QString &text)
{
    // Labels of letters, digits and hyphens (RFC 1123), not only digits.
    static const QRegularExpression name(
        QStringLiteral("^(?=.{1,253}$)([A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)"
                       "(\\.[A-Za-z0-9]([A-Za-z0-9-]{0,61}[A-Za-z0-9])?)*$"));
    static const QRegularExpression numeric(QStringLiteral("^[0-9.]+$"));
    return name.match(text).hasMatch() && !numeric.match(text).hasMatch();
}

} // namespace

std::variant<Target, QString> parse(QStringView line)
{
    const QString text = line.trimmed().toString();
    if (text.isEmpty())
        return NotATarget;
    const qsizetype slash = text.indexOf(u'/');
    if (slash < 0) {
        quint32 v = 0;
        if (isIpv4(text, &v))
            return Target{text, {}, v, 1};
        if (isHostName(text))
            return Target{text, text, 0, 0};
        return NotATarget;
    }
    quint32 base = 0;
    bool ok = false;
    const int prefix = text.mid(slash + 1).toInt(&ok);
    if (!isIpv4(text.left(slash), &base) || !ok || prefix < 0 || prefix > 32)
        return NotATarget;
    const quint64 size = quint64(1) << (32 - prefix);
    // The network's own address and its broadcast are no host's.
    const quint64 hosts = prefix >= 31 ? size : size - 2;
    if (hosts > MaxRange)
        return QStringLiteral("範囲が広すぎます（%1 ｱﾄﾞﾚｽ、/20 まで）。").arg(MaxRange);
    const quint32 network = prefix == 0 ? 0 : base & ~quint32(size - 1);
    if (prefix >= 31)
        return Target{text, {}, network, quint32(hosts)};
    return Target{text, {}, network + 1, quint32(hosts), quint32(network + size - 1)};
}

QString address(const Target &target, quint32 n)
{
    return QHostAddress(target.first + n).toString();
}

QString listProblem(const QStringList &lines)
{
    quint64 total = 0;
    for (const QString &line : lines)
        if (const auto parsed = parse(line); const auto *t = std::get_if<Target>(&parsed))
            total += weight(*t);
    if (total <= MaxAddresses)
        return {};
    return QStringLiteral("検索先が多すぎます（合わせて %1 ｱﾄﾞﾚｽ、%2 まで）。")
        .arg(total)
        .arg(MaxAddresses);
}

} // namespace searchtargets
