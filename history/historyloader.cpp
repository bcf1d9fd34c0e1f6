#include "historyloader.h"

#include "cp932.h"
#include "historyfile.h"
#include "historymodel.h"

#include <QFile>
#include <QThread>

namespace {

constexpr size_t HandfulRows = 2000;
constexpr qsizetype HandfulChars = 512 * 1024;
constexpr size_t HandfulsWaiting = 4;
constexpr qint64 Piece = 4 << 20;

// The whole file as text. Read in pieces cut after a line feed (never the
// second byte of a character), so no piece splits one; the text never
// needs more characters than the file has bytes.
std::optional<QString> decodeFile(const QString &path, qint64 size, const std::atomic<bool> &cancel)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    QString text;
    text.reserve(qsizetype(size));
    while (!file.atEnd()) {
        if (cancel)
            return std::nullopt;
        QByteArray piece = file.read(Piece);
        if (piece.isEmpty())
            return file.error() == QFile::NoError ? std::optional(text) : std::nullopt;
        const qsizetype lf = piece.lastIndexOf('\n');
        if (!file.atEnd() && lf >= 0) {
            file.seek(file.pos() - (piece.size() - lf - 1));
            piece.truncate(lf + 1);
        }
        text += cp932::decode(piece);
    }
    return text;
}

} // namespace

HistoryLoader::HistoryLoader(HistoryModel &history, QObject *parent)
    : QObject(parent), m_history(history)
{
}

HistoryLoader::~HistoryLoader()
{
    if (!m_thread)
        return;
    // The program ends mid-load: the staged rows are swept at the next start.
    m_cancel = true;
    m_room.notify_all();
    m_thread->wait();
    delete m_thread;
}

bool HistoryLoader::start(const QString &path, qint64 size, bool replace)
{
    // A row needs at least six bytes (a character and five commas).
    if (m_thread || !m_history.beginLoad(size / 4 + 1, replace))
        return false;
    m_done = false;
    m_cancel = false;
    m_notKept = false;
    m_handfuls.clear();
    m_thread = QThread::create([this, path] { work(path); });
    m_thread->start();
    return true;
}

bool HistoryLoader::handOver(std::vector<HistoryRow> &&rows)
{
    std::unique_lock lock(m_mutex);
    m_room.wait(lock, [this] { return m_cancel || m_handfuls.size() < HandfulsWaiting; });
    if (m_cancel)
        return false;
    m_handfuls.push_back(std::move(rows));
    QMetaObject::invokeMethod(this, &HistoryLoader::takeOne, Qt::QueuedConnection);
    return true;
}

void HistoryLoader::work(const QString &path)
{
    Outcome outcome = Outcome::Unreadable;
    if (const auto text = decodeFile(path, QFile(path).size(), m_cancel)) {
        std::vector<HistoryRow> handful;
        qsizetype chars = 0;
        const auto read = historyfile::read(*text, [&](HistoryRow &&row) {
            chars += row.message.size() + 40;
            handful.push_back(std::move(row));
            if (handful.size() < HandfulRows && chars < HandfulChars)
                return true;
            chars = 0;
            return handOver(std::exchange(handful, {}));
        });
        outcome = !read.isHistory ? Outcome::NotHistory
                  : read.cutShort ? Outcome::CutShort
                                  : Outcome::Loaded;
        if (outcome == Outcome::Loaded && !handful.empty())
            handOver(std::move(handful));
    }
    std::lock_guard lock(m_mutex);
    m_done = true;
    m_outcome = outcome;
    QMetaObject::invokeMethod(this, &HistoryLoader::takeOne, Qt::QueuedConnection);
}

void HistoryLoader::takeOne()
{
    std::vector<HistoryRow> handful;
    bool done = false;
    {
        std::lock_guard lock(m_mutex);
        if (!m_handfuls.empty()) {
            handful = std::move(m_handfuls.front());
            m_handfuls.pop_front();
        }
        done = m_done && m_handfuls.empty();
    }
    m_room.notify_one();
    // A handful the store refused ends the load: none of the file comes in.
    if (!handful.empty() && !m_notKept && !m_history.stage(handful))
        m_notKept = true;
    if (!done || !m_thread)
        return;
    m_thread->wait();
    delete std::exchange(m_thread, nullptr);
    Outcome outcome = m_outcome;
    if (outcome == Outcome::Loaded && (m_notKept || !m_history.finishLoad()))
        outcome = Outcome::NotKept;
    if (outcome != Outcome::Loaded)
        m_history.abandonLoad();
    emit finished(outcome);
}
