#include "historybrowser.h"

#include "clock.h"
#include "dialogs.h"
#include "historyfile.h"
#include "historymodel.h"
#include "savefile.h"

#include <QFile>
#include <QFileInfo>

namespace {

const QString ErrorTitle = QStringLiteral("ｴﾗｰ確認");
// Ten times the largest history anyone keeps; a file beyond it is not read.
constexpr qint64 MaxFileBytes = qint64(1) << 30;

Dialogs::Box error(const QString &text, Dialogs::Icon icon = Dialogs::Icon::Exclamation)
{
    return {text, ErrorTitle, icon, Dialogs::Buttons::Ok, Dialogs::Ok};
}

} // namespace

HistoryBrowser::HistoryBrowser(HistoryModel &history, const Clock &clock, Dialogs &dialogs,
                               QObject *parent)
    : QObject(parent), m_history(history), m_clock(clock), m_dialogs(dialogs), m_loader(history)
{
    connect(&m_loader, &HistoryLoader::finished, this, &HistoryBrowser::loadFinished);
}

QString HistoryBrowser::countText() const
{
    return QStringLiteral("送受信件数： ") + QString::number(m_history.rowCount());
}

void HistoryBrowser::rowsGone()
{
    if (!m_detail || m_row <= m_history.rowCount())
        return;
    m_detail = false;
    m_status = countText();
    emit changed();
}

namespace {
template <typename F> QString field(const HistoryModel &h, bool detail, int row, F f)
{
    return detail && row >= 1 && row <= h.rowCount() ? f(h.row(row)) : QString();
}
} // namespace

QString HistoryBrowser::fromText() const
{
    return QStringLiteral("From： ") +
           field(m_history, m_detail, m_row, [](const HistoryRow &r) { return r.sender; });
}

QString HistoryBrowser::toText() const
{
    return QStringLiteral("To： ") +
           field(m_history, m_detail, m_row, [](const HistoryRow &r) { return r.recipient; });
}

QString HistoryBrowser::dateText() const
{
    return QStringLiteral("DATE： ") +
           field(m_history, m_detail, m_row, [](const HistoryRow &r) { return r.date; });
}

QString HistoryBrowser::sendTimeText() const
{
    return QStringLiteral("送信時間： ") +
           field(m_history, m_detail, m_row, [](const HistoryRow &r) { return r.sendTime; });
}

QString HistoryBrowser::receiveTimeText() const
{
    return QStringLiteral("受信時間： ") +
           field(m_history, m_detail, m_row, [](const HistoryRow &r) { return r.receiveTime; });
}

QString HistoryBrowser::messageText() const
{
    return field(m_history, m_detail, m_row, [](const HistoryRow &r) { return r.message; });
}

void HistoryBrowser::shown()
{
    m_status = countText();
    emit changed();
}

void HistoryBrowser::setPaging()
{
    const int n = m_history.rowCount();
    m_back = m_row > 1;
    m_next = m_row < n;
}

void HistoryBrowser::openRow(int r)
{
    if (r < 1 || r > m_history.rowCount())
        return;
    m_row = r;
    m_detail = true;
    setPaging();
    m_status = QStringLiteral("送信履歴： ") + QString::number(r) + u'/' +
               QString::number(m_history.rowCount());
    emit changed();
}

void HistoryBrowser::next()
{
    if (!m_detail || m_row >= m_history.rowCount())
        return;
    ++m_row;
    setPaging();
    m_status = QStringLiteral("送受信履歴： ") + QString::number(m_row) + u'/' +
               QString::number(m_history.rowCount());
    emit changed();
}

void HistoryBrowser::back()
{
    if (!m_detail || m_row < 2)
        return;
    m_row = std::min(m_row - 1, m_history.rowCount());
    setPaging();
    m_status = QStringLiteral("送受信履歴： ") + QString::number(m_row) + u'/' +
               QString::number(m_history.rowCount());
    emit changed();
}

bool HistoryBrowser::ok()
{
    if (!m_detail)
        return true;
    m_detail = false;
    m_status = countText();
    emit changed();
    return false;
}

void HistoryBrowser::clear()
{
    m_history.clear();
    m_status.clear();
    emit changed();
}

void HistoryBrowser::save()
{
    if (m_history.rowCount() == 0) {
        m_dialogs.messageBox(error(QStringLiteral("保存するﾃﾞｰﾀはありません。")));
        return;
    }
    const QString path = m_dialogs.saveFileName(m_lastPath);
    if (path.isEmpty()) {
        m_dialogs.messageBox(error(QStringLiteral("保存するﾌｧｲﾙを指定してください。")));
        return;
    }
    m_lastPath = path;
    const QByteArray bytes = historyfile::write(m_history, m_clock.now(), m_status);
    const auto outcome =
        savefile::save(path, bytes, m_dialogs,
                       {QStringLiteral("ディスクの空き容量が不足しています。"), ErrorTitle,
                        Dialogs::Icon::None, Dialogs::Buttons::RetryCancel, Dialogs::Retry});
    switch (outcome.result) {
    case savefile::Result::Saved:
        m_dialogs.messageBox({QStringLiteral("保存しました。"), QStringLiteral("送受信履歴"),
                              Dialogs::Icon::Information, Dialogs::Buttons::Ok, Dialogs::Ok});
        break;
    case savefile::Result::Failed:
        m_dialogs.messageBox(error(QStringLiteral("保存できませんでした。\r") + outcome.error,
                                   Dialogs::Icon::Critical));
        break;
    case savefile::Result::Cancelled:
        break; // the earlier file is whole, as the user chose
    }
}

void HistoryBrowser::load(bool append)
{
    const QString path = m_dialogs.openFileName(m_lastPath);
    if (path.isEmpty())
        return;
    m_lastPath = path;
    const QFileInfo info(path);
    QFile file(path);
    // Only a plain file is read: a device or a pipe could be endless.
    if (!info.isFile() || !file.open(QIODevice::ReadOnly)) {
        m_dialogs.messageBox(
            error(QStringLiteral("ﾌｧｲﾙを開けませんでした。\r") + path, Dialogs::Icon::Critical));
        return;
    }
    if (info.size() > MaxFileBytes) {
        m_dialogs.messageBox(error(QStringLiteral("ﾌｧｲﾙが大きすぎるため読み込みません。\r") + path,
                                   Dialogs::Icon::Critical));
        return;
    }
    file.close();
    if (!m_loader.start(path, info.size(), !append)) {
        // One load at a time (the window's menu is off meanwhile); else the store refused.
        if (!m_loader.busy())
            m_dialogs.messageBox(error(notKeptText(), Dialogs::Icon::Critical));
        return;
    }
    m_status = QStringLiteral("読込中...");
    emit changed();
}

QString HistoryBrowser::notKeptText() const
{
    return QStringLiteral("履歴の保存先に書き込めないため、読み込みませんでした。\r") + m_lastPath;
}

void HistoryBrowser::loadFinished(HistoryLoader::Outcome outcome)
{
    switch (outcome) {
    case HistoryLoader::Outcome::Loaded:
        break;
    case HistoryLoader::Outcome::NotHistory:
        m_dialogs.messageBox(error(QStringLiteral("履歴ﾌｧｲﾙではありません"), Dialogs::Icon::None));
        break;
    case HistoryLoader::Outcome::CutShort:
        m_dialogs.messageBox(error(
            QStringLiteral("履歴ﾌｧｲﾙが途中で切れているため、読み込みませんでした。\r") + m_lastPath,
            Dialogs::Icon::Critical));
        break;
    case HistoryLoader::Outcome::Unreadable:
        m_dialogs.messageBox(error(QStringLiteral("ﾌｧｲﾙを開けませんでした。\r") + m_lastPath,
                                   Dialogs::Icon::Critical));
        break;
    case HistoryLoader::Outcome::NotKept:
        m_dialogs.messageBox(error(notKeptText(), Dialogs::Icon::Critical));
        break;
    }
    m_status = countText();
    emit changed();
    emit loaded();
}
