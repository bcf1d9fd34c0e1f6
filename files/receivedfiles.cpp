#include "receivedfiles.h"

#include "fetch.h"
#include "fieldtext.h"
#include "filesharing.h"

#include <QDir>
#include <utility>

namespace {

// A peer's text as the window shows it: a control character (an escape, a
// line break inside a name) as a space, and a refusal's text no longer
// than a sentence.
QString shown(const QString &told, qsizetype most = 300)
{
    QString text = fieldtext::unprintablesAsSpaces(told);
    if (text.size() > most)
        text = text.left(most) + u'…';
    return text;
}

} // namespace

ReceivedFiles::ReceivedFiles(FileSharing &sharing, std::function<QString()> folder,
                             std::function<qint64()> now, QObject *parent)
    : QObject(parent), m_sharing(sharing), m_folder(std::move(folder)), m_now(std::move(now))
{
}

void ReceivedFiles::show(const QString &address, const QString &refField)
{
    // The reference as it came: a number and its spaces (0 names no message).
    const int message = fieldtext::rowNumber(refField);
    m_shown = message > 0 ? std::optional<Key>(Key{address, quint32(message)}) : std::nullopt;
    emit changed();
}

void ReceivedFiles::offerArrived(const FilesChannel::Received &offer)
{
    if (m_shown == Key{offer.sender, offer.offer.message})
        emit changed();
}

const FilesChannel::Received *ReceivedFiles::offer() const
{
    return m_shown ? m_sharing.received(m_shown->first, m_shown->second) : nullptr;
}

const ReceivedFiles::Transfer *ReceivedFiles::current() const
{
    if (!m_shown)
        return nullptr;
    const auto it = m_transfers.find(*m_shown);
    return it == m_transfers.end() ? nullptr : &it->second;
}

ReceivedFiles::State ReceivedFiles::state() const
{
    if (const Transfer *t = current())
        return t->state;
    return offer() ? State::Offered : State::None;
}

QStringList ReceivedFiles::rows() const
{
    const FilesChannel::Received *r = offer();
    if (!r)
        return {};
    // The top of the offer: each file, and each folder with all it holds.
    QStringList rows;
    const QList<filesframe::Entry> &entries = r->offer.entries;
    for (qsizetype i = 0; i < entries.size(); ++i) {
        const filesframe::Entry &e = entries[i];
        if (e.path.contains(u'/'))
            continue;
        if (!e.folder) {
            rows << QStringLiteral("%1  (%2)").arg(shown(e.path, e.path.size()),
                                                    sizeText(qint64(e.size)));
            continue;
        }
        qint64 bytes = 0;
        int files = 0;
        for (qsizetype j = i + 1; j < entries.size() && entries[j].path.startsWith(e.path + u'/');
             ++j)
            if (!entries[j].folder) {
                ++files;
                bytes += qint64(entries[j].size);
            }
        rows << QStringLiteral("%1/  (%2 個、%3)")
                    .arg(shown(e.path, e.path.size()))
                    .arg(files)
                    .arg(sizeText(bytes));
    }
    return rows;
}

int ReceivedFiles::percent() const
{
    const Transfer *t = current();
    if (!t || t->total <= 0)
        return t && t->state == State::Saved ? 100 : 0;
    return int(t->done * 100 / t->total);
}

QString ReceivedFiles::rateText() const
{
    const Transfer *t = current();
    if (!t || t->state != State::Saving || t->startDone < 0)
        return {};
    const qint64 msecs = m_now() - t->startedAt;
    if (msecs < 500 || t->done <= t->startDone)
        return {};
    const double perSecond = double(t->done - t->startDone) * 1000 / double(msecs);
    const qint64 left = qint64((double(t->total - t->done) / perSecond) + 0.999);
    const QString leftText = left >= 60 ? QStringLiteral("%1 分 %2 秒").arg(left / 60).arg(left % 60)
                                        : QStringLiteral("%1 秒").arg(left);
    return QStringLiteral("%1/s 残り %2").arg(sizeText(qint64(perSecond)), leftText);
}

QString ReceivedFiles::statusText() const
{
    const Transfer *t = current();
    return t ? t->status : QString();
}

QString ReceivedFiles::folder() const
{
    const Transfer *t = current();
    return t ? t->folder : QString();
}

void ReceivedFiles::save(const QString &folder)
{
    if (const FilesChannel::Received *r = offer())
        saveOffer(*r, folder);
}

void ReceivedFiles::saveOffer(const FilesChannel::Received &offer, const QString &chosen)
{
    const Key key{offer.sender, offer.offer.message};
    Transfer &t = m_transfers[key];
    if (t.state == State::Saving || t.state == State::Saved)
        return;
    const QString folder = !chosen.isEmpty()   ? chosen
                           : !t.folder.isEmpty() ? t.folder
                                                 : m_folder();
    // What an earlier try saved stays done, in the folder it went to.
    if (t.folder != folder)
        t.saved.clear();
    t.folder = folder;
    t.state = State::Saving;
    t.status.clear();
    t.done = 0;
    t.startDone = -1;
    t.fetch = m_sharing.save(offer, folder);
    connect(t.fetch, &Fetch::progressed, this,
            [this, key](qint64 done, qint64 total) { progressed(key, done, total); });
    connect(t.fetch, &Fetch::finished, this,
            [this, key](const QStringList &saved, const QString &problem) {
                finished(key, saved, problem);
            });
    emit changed();
    t.fetch->start(t.saved);
}

void ReceivedFiles::cancel()
{
    if (!m_shown)
        return;
    const auto it = m_transfers.find(*m_shown);
    if (it == m_transfers.end() || !it->second.fetch)
        return;
    it->second.cancelled = true;
    it->second.fetch->cancel();
}

void ReceivedFiles::progressed(const Key &key, qint64 done, qint64 total)
{
    Transfer &t = m_transfers[key];
    if (t.startDone < 0) {
        // The rate counts from here: what an earlier try left is not this one's.
        t.startDone = done;
        t.startedAt = m_now();
    }
    t.done = done;
    t.total = total;
    // A chunk comes every few microseconds: the window hears of a new
    // percent, or of the rate twice a second, not of each.
    const int percent = total > 0 ? int(done * 100 / total) : 0;
    const qint64 now = m_now();
    if (m_shown != key || (percent == t.toldPercent && now - t.toldAt < 500))
        return;
    t.toldPercent = percent;
    t.toldAt = now;
    emit changed();
}

void ReceivedFiles::finished(const Key &key, const QStringList &saved, const QString &told)
{
    // It may quote the sender's refusal, or a name it offered.
    const QString problem = shown(told);
    Transfer &t = m_transfers[key];
    t.saved = saved;
    t.fetch = nullptr;
    t.state = problem.isEmpty() ? State::Saved : State::Failed;
    t.status = problem.isEmpty()
                   ? QStringLiteral("保存しました: ") + QDir::toNativeSeparators(t.folder)
                   : problem;
    if (!problem.isEmpty() && !std::exchange(t.cancelled, false))
        emit failed(key.first, problem);
    emit changed();
}
