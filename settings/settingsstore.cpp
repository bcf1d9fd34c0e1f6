#include "settingsstore.h"

#include "dialogs.h"
#include "optfile.h"
#include "savefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

namespace {
const QString ErrorTitle = QStringLiteral("ｴﾗｰ確認");
// Ours is a few hundred bytes; anything much larger is not ours, and is
// never read whole.
constexpr qint64 MaxFileBytes = 64 * 1024;
} // namespace

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
    // Only a plain file of a sensible size is read: a device or a pipe in its
    // place could be endless.
    const QFileInfo info(file);
    if (info.isFile() && info.size() <= MaxFileBytes && file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.read(MaxFileBytes + 1);
        OptSettings read = m_settings;
        if (bytes.size() <= MaxFileBytes)
            result = optfile::parse(bytes, read);
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
    if (m_settings.iconRandom)
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
        if (!keepForeignFileAside())
            return false;
        m_keepForeignFile = false;
    }
    // Owner-only: it holds the password.
    const auto outcome =
        savefile::save(filePath(), bytes, m_dialogs,
                       {QStringLiteral("ﾃﾞｨｽｸの空き容量が不足しています。"), ErrorTitle,
                        Dialogs::Icon::None, Dialogs::Buttons::RetryCancel, Dialogs::Retry},
                       QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (outcome.result == savefile::Result::Failed)
        m_dialogs.messageBox({QStringLiteral("設定を保存できませんでした。\r") + outcome.error,
                              ErrorTitle, Dialogs::Icon::Critical, Dialogs::Buttons::Ok,
                              Dialogs::Ok});
    return outcome.result == savefile::Result::Saved;
}

bool SettingsStore::keepForeignFileAside()
{
    const QString path = filePath();
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return true; // gone meanwhile: nothing to keep
    // The first free name: an earlier kept file is never replaced.
    QString aside = path + QStringLiteral(".bak");
    for (int n = 1; QFileInfo::exists(aside) || QFileInfo(aside).isSymLink(); ++n)
        aside = path + QStringLiteral(".bak") + QString::number(n);
    if (QFile::rename(path, aside))
        return true;
    m_dialogs.messageBox({QStringLiteral("ぽるとな～のﾌｧｲﾙではない ") + path +
                              QStringLiteral(" を残せないため、設定を保存しませんでした。"),
                          ErrorTitle, Dialogs::Icon::Critical, Dialogs::Buttons::Ok, Dialogs::Ok});
    return false;
}
