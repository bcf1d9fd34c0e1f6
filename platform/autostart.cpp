#include "autostart.h"

#include "fileerror.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

// An Exec value: quoted, with the characters the desktop entry format
// reserves escaped, when the path holds any of them.
QString execValue(const QString &program)
{
    static const QString reserved = QStringLiteral(" \t\n\"'\\><~|&;$*?#()`");
    if (std::none_of(program.begin(), program.end(), [](QChar c) { return reserved.contains(c); }))
        return program;
    QString quoted;
    for (QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += QStringLiteral("\\\\");
        quoted += c;
    }
    return u'"' + quoted + u'"';
}

} // namespace

Autostart::Autostart(QString folder, QString program)
    : m_folder(std::move(folder)), m_program(std::move(program))
{
}

QString Autostart::entryPath() const
{
    return QDir(m_folder).filePath(QStringLiteral("jp.portana.Portana.desktop"));
}

bool Autostart::isEnabled() const
{
    return QFileInfo::exists(entryPath());
}

QString Autostart::setEnabled(bool enabled)
{
    if (!enabled) {
        if (!isEnabled() || QFile::remove(entryPath()))
            return {};
        return fileerror::saveReason(entryPath(), QFileDevice::RemoveError);
    }
    if (!QDir().mkpath(m_folder))
        return fileerror::saveReason(entryPath(), QFileDevice::OpenError);
    const QString entry =
        QStringLiteral("[Desktop Entry]\n"
                       "Type=Application\n"
                       "Name=ぽるとな～\n"
                       "Comment=Send short messages to the people on your local network\n"
                       "Exec=") +
        execValue(m_program) +
        QStringLiteral("\n"
                       "Icon=portana\n"
                       "Terminal=false\n"
                       "X-GNOME-Autostart-enabled=true\n");
    QFile file(entryPath());
    if (file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
        file.write(entry.toUtf8()) == entry.toUtf8().size() && file.flush())
        return {};
    return fileerror::saveReason(entryPath(), file.error());
}
