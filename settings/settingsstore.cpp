#include "settingsstore.h"

#include "dialogs.h"
#include "optfile.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

namespace {
const QString ErrorTitle = QStringLiteral("ｴﾗｰ確認");
}

SettingsStore::SettingsStore(QString folder, Dialogs &dialogs, std::function<int()> random10)
    : m_folder(std::move(folder)), m_dialogs(dialogs), m_random10(std::move(random10))
{
    if (!m_random10)
        m_random10 = [] { return int(QRandomGenerator::global()->bounded(10)); };
}

QString SettingsStore::filePath() const
{
    return QDir(m_folder).filePath(QString::fromLatin1(optfile::FileName));
}

std::optional<int> SettingsStore::rdOptSub(const QString &windowFontName)
{
    m_settings = OptSettings{};
    m_settings.fontName = windowFontName;

    QFile file(filePath());
    if (!file.exists())
        return std::nullopt;

    optfile::ParseResult result = optfile::ParseResult::Foreign;
    if (file.open(QIODevice::ReadOnly)) {
        OptSettings read = m_settings;
        result = optfile::parse(file.readAll(), read);
        if (result == optfile::ParseResult::Read)
            m_settings = read;
    }
    if (result == optfile::ParseResult::Foreign) {
        // The file is not ours (or cannot be read): it is kept aside at the
        // first save rather than silently replaced.
        m_keepForeignFile = true;
        m_dialogs.messageBox({QStringLiteral("ぽるとな～のﾌｧｲﾙではありません"), ErrorTitle,
                              Dialogs::Icon::None, Dialogs::Buttons::Ok, Dialogs::Ok});
        return std::nullopt;
    }

    if (m_settings.fontName.isEmpty())
        m_settings.fontName = windowFontName;
    if (m_settings.iconRandom == 1)
        m_settings.iconNo = QString::number(m_random10());
    bool ok = false;
    const int n = m_settings.iconNo.toInt(&ok);
    return ok ? n : -1;
}

bool SettingsStore::optWrite()
{
    const QByteArray bytes = optfile::serialise(m_settings);
    QDir().mkpath(m_folder);
    if (m_keepForeignFile) {
        const QString aside = filePath() + QStringLiteral(".bak");
        QFile::remove(aside);
        QFile::rename(filePath(), aside);
        m_keepForeignFile = false;
    }
    for (;;) {
        // Written beside and renamed over: a failed save leaves the earlier
        // file whole. Owner-only, since it holds the password.
        QSaveFile file(filePath());
        if (file.open(QIODevice::WriteOnly)) {
            file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
            file.write(bytes);
            if (file.commit())
                return true;
        }
        if (file.error() != QFileDevice::ResourceError) {
            qWarning("portana: settings not saved to %s: %s", qUtf8Printable(filePath()),
                     qUtf8Printable(file.errorString()));
            return false;
        }
        const auto answer = m_dialogs.messageBox(
            {QStringLiteral("ﾃﾞｨｽｸの空き容量が不足しています。"), ErrorTitle, Dialogs::Icon::None,
             Dialogs::Buttons::RetryCancel, Dialogs::Retry});
        if (answer != Dialogs::Retry)
            return false;
    }
}
