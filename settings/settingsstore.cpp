#include "settingsstore.h"

#include "dialogs.h"
#include "fileerror.h"
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

SettingsStore::SettingsStore(SettingsLocation location, Dialogs &dialogs,
                             std::function<int()> random10)
    : m_location(std::move(location)), m_dialogs(dialogs), m_random10(std::move(random10)),
      m_tellMoved(m_location.moved)
{
    if (!m_random10)
        m_random10 = [] { return int(QRandomGenerator::global()->bounded(10)); };
}

QString SettingsStore::filePath() const
{
    return QDir(m_location.writeFolder).filePath(QString::fromLatin1(optfile::FileName));
}

std::optional<int> SettingsStore::rdOptSub(const QString &windowFontName)
{
    m_settings = OptSettings{};
    m_settings.fontName = windowFontName;

    QFile file(m_location.readPath);
    const QFileInfo info(file);
    if (!info.exists() && !info.isSymLink())
        return std::nullopt;
    // Only a plain file is read: a device or a pipe in its place could be endless.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        // Never passed over in silence: it may hold a password, which is not
        // in force now; nor is it replaced by the defaults at the next save.
        m_keepForeignFile = m_location.readPath == filePath();
        m_dialogs.messageBox({QStringLiteral("設定ﾌｧｲﾙを読めません。\r") + m_location.readPath +
                                  u'\r' + fileerror::readReason(m_location.readPath) +
                                  QStringLiteral("\rﾊﾟｽﾜｰﾄﾞを含め、設定は既定のままです。"),
                              ErrorTitle, Dialogs::Icon::Critical, Dialogs::Buttons::Ok,
                              Dialogs::Ok});
        return std::nullopt;
    }

    optfile::ParseResult result = optfile::ParseResult::Foreign;
    if (info.size() <= MaxFileBytes) {
        const QByteArray bytes = file.read(MaxFileBytes + 1);
        OptSettings read = m_settings;
        if (bytes.size() <= MaxFileBytes)
            result = optfile::parse(bytes, read);
        if (result == optfile::ParseResult::Read)
            m_settings = read;
    }
    if (result == optfile::ParseResult::Foreign) {
        // The file is not ours: it is kept aside at the first save rather
        // than silently replaced.
        m_keepForeignFile = m_location.readPath == filePath();
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

bool SettingsStore::commit(const OptSettings &edited)
{
    m_settings = edited;
    emit changed();
    return optWrite();
}

bool SettingsStore::optWrite()
{
    const QByteArray bytes = optfile::serialise(m_settings);
    QDir().mkpath(m_location.writeFolder);
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
    if (outcome.result != savefile::Result::Saved)
        return false;
    if (m_tellMoved) {
        m_tellMoved = false;
        m_dialogs.messageBox({m_location.readPath +
                                  QStringLiteral(" には書き込めないため、設定は\r") + filePath() +
                                  QStringLiteral(" に保存しました。以後はこちらを使います。"),
                              QStringLiteral("確認"), Dialogs::Icon::Information,
                              Dialogs::Buttons::Ok, Dialogs::Ok});
    }
    return true;
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
