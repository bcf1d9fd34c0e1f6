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
    : QObject(parent), m_history(history), m_clock(clock), m_dialogs(dialogs), m_loader(history),
      m_search(history)
{
    connect(&m_loader, &HistoryLoader::finished, this, &HistoryBrowser::loadFinished);
    connect(&m_search, &HistorySearch::changed, this, [this] {
        // The count grows as the search goes; the detail view keeps its own text.
        if (m_detail)
            setPaging();
        else if (!m_loader.busy())
            m_status = countText();
        emit changed();
    });
}

QString HistoryBrowser::countText() const
{
    if (m_search.active())
        return QStringLiteral("検索結果： %1 件").arg(m_search.rowCount());
    return QStringLiteral("送受信件数： ") + QString::number(m_history.rowCount());
}

QString HistoryBrowser::statusText() const
{
    if (m_indexed >= 100 || m_status.isEmpty())
        return m_status;
    // Until then a search reads the rows not indexed yet, which takes longer.
    return m_status + QStringLiteral("（検索の準備中 %1%）").arg(m_indexed);
}

void HistoryBrowser::indexing(qint64 done, qint64 total)
{
    const int percent = total > 0 ? int(done * 100 / total) : 100;
    if (percent == m_indexed)
        return;
    m_indexed = percent;
    emit changed();
}

int HistoryBrowser::shownCount() const
{
    return m_search.active() ? m_search.rowCount() : m_history.rowCount();
}

HistoryRow HistoryBrowser::shownRow(int n) const
{
    if (n < 1 || n > shownCount())
        return {};
    return m_search.active() ? m_history.rowByKey(m_search.keyOf(n - 1)) : m_history.row(n);
}

void HistoryBrowser::find(const QString &text, const QDate &from, const QDate &to)
{
    m_search.find(text, from, to);
    m_status = countText();
    emit changed();
}

void HistoryBrowser::rowsGone()
{
    if (!m_detail || m_row <= shownCount())
        return;
    m_detail = false;
    m_status = countText();
    emit changed();
}

namespace {
template <typename F> QString field(const HistoryRow &row, bool detail, F f)
{
    return detail ? f(row) : QString();
}
} // namespace

QString HistoryBrowser::fromText() const
{
    return QStringLiteral("From： ") +
           field(shownRow(m_row), m_detail, [](const HistoryRow &r) { return r.sender; });
}

QString HistoryBrowser::toText() const
{
    return QStringLiteral("To： ") +
           field(shownRow(m_row), m_detail, [](const HistoryRow &r) { return r.recipient; });
}

QString HistoryBrowser::dateText() const
{
    return QStringLiteral("DATE： ") +
           field(shownRow(m_row), m_detail, [](const HistoryRow &r) { return r.date; });
}

QString HistoryBrowser::sendTimeText() const
{
    return QStringLiteral("送信時間： ") +
           field(shownRow(m_row), m_detail, [](const HistoryRow &r) { return r.sendTime; });
}

QString HistoryBrowser::receiveTimeText() const
{
    return QStringLiteral("受信時間： ") +
           field(shownRow(m_row), m_detail, [](const HistoryRow &r) { return r.receiveTime; });
}

QString HistoryBrowser::messageText() const
{
    return field(shownRow(m_row), m_detail, [](const HistoryRow &r) { return r.message; });
}

void HistoryBrowser::shown()
{
    m_status = countText();
    emit changed();
}

void HistoryBrowser::setPaging()
{
    const int n = shownCount();
    m_back = m_row > 1;
    m_next = m_row < n;
}

void HistoryBrowser::openRow(int r)
{
    if (r < 1 || r > shownCount())
        return;
    m_row = r;
    m_detail = true;
    setPaging();
    m_status =
        QStringLiteral("送信履歴： ") + QString::number(r) + u'/' + QString::number(shownCount());
    emit changed();
}

void HistoryBrowser::next()
{
    if (!m_detail || m_row >= shownCount())
        return;
    ++m_row;
    setPaging();
    m_status = QStringLiteral("送受信履歴： ") + QString::number(m_row) + u'/' +
               QString::number(shownCount());
    emit changed();
}

void HistoryBrowser::back()
{
    if (!m_detail || m_row < 2)
        return;
    m_row = std::min(m_row - 1, shownCount());
    setPaging();
    m_status = QStringLiteral("送受信履歴： ") + QString::number(m_row) + u'/' +
               QString::number(shownCount());
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
    // The list shows part of the history; the button empties all of it.
    if (m_search.active() &&
        m_dialogs.messageBox({QStringLiteral("検索結果だけでなく、すべての履歴を消去します。"
                                             "よろしいですか？"),
                              QStringLiteral("送受信履歴"), Dialogs::Icon::Question,
                              Dialogs::Buttons::YesNo, Dialogs::No}) != Dialogs::Yes)
        return;
    m_history.clear();
    m_status.clear();
    emit changed();
}

void HistoryBrowser::save()
{
    if (shownCount() == 0) {
        m_dialogs.messageBox(error(QStringLiteral("保存するﾃﾞｰﾀはありません。")));
        return;
    }
    const QString path = m_dialogs.saveFileName(m_lastPath);
    if (path.isEmpty()) {
        m_dialogs.messageBox(error(QStringLiteral("保存するﾌｧｲﾙを指定してください。")));
        return;
    }
    m_lastPath = path;
    const QByteArray bytes = m_search.active()
                                 ? historyfile::write(
                                       [this](const historyfile::Take &take) {
                                           for (int n = 1; n <= m_search.rowCount(); ++n)
                                               take(m_history.rowByKey(m_search.keyOf(n - 1)));
                                       },
                                       m_clock.now(), countText())
                                 : historyfile::write(m_history, m_clock.now(), m_status);
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
