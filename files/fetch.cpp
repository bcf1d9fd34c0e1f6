#include "fetch.h"

#include "disk.h"
#include "fileslistener.h"
#include "receivedname.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
#include <QTimer>

namespace {

constexpr int FrameMsecs = 15000;
constexpr int IdleMsecs = 120000;
// What one turn of the event loop hashes of a part kept from before.
constexpr int PrefixChunksPerTurn = 16;

} // namespace

Fetch::Fetch(filesframe::Offer offer, QString folder, QHostAddress sender, quint16 port, Disk &disk,
             const QHostAddress &from, QObject *parent)
    : QObject(parent), m_offer(std::move(offer)), m_folder(std::move(folder)),
      m_sender(std::move(sender)), m_port(port), m_from(from), m_disk(disk)
{
}

QString Fetch::partPath(int entry) const
{
    // Short, and the same on every try: a cut fetch takes up its part again.
    return m_folder + u'/' + QFileInfo(m_names[entry]).path() + QStringLiteral("/.portana-") +
           QString::fromLatin1(m_offer.token.toHex().left(12)) + u'-' + QString::number(entry) +
           QStringLiteral(".part");
}

// Every name checked and given its free place before a byte is written.
QString Fetch::plan(const QStringList &saved)
{
    QSet<QString> planned;
    QHash<QString, QString> folders; // as offered -> as saved
    for (const filesframe::Entry &e : m_offer.entries) {
        if (m_names.size() < saved.size()) {
            // Saved by an earlier try, in order: kept under its name.
            m_names << saved[m_names.size()];
            m_saved << m_names.back();
            if (e.folder)
                folders.insert(e.path, m_names.back());
            else
                m_done += qint64(e.size);
            m_total += e.folder ? 0 : qint64(e.size);
            continue;
        }
        if (const QString why = receivedname::problem(e.path); !why.isEmpty())
            return QStringLiteral("「%1」: %2").arg(e.path, why);
        const qsizetype slash = e.path.lastIndexOf(u'/');
        QString parent;
        if (slash >= 0) {
            // A folder's content comes after the folder, in it.
            const auto it = folders.constFind(e.path.left(slash));
            if (it == folders.constEnd())
                return QStringLiteral("「%1」のﾌｫﾙﾀﾞが先に送られていません。").arg(e.path);
            parent = *it + u'/';
        }
        const QString name =
            receivedname::free(e.path.mid(slash + 1), e.folder, [&](const QString &candidate) {
                const QString relative = parent + candidate;
                const QFileInfo there(m_folder + u'/' + relative);
                return planned.contains(relative) || there.exists() || there.isSymLink();
            });
        if (name.isEmpty())
            return QStringLiteral("「%1」に空いた名前がありません。").arg(e.path);
        planned.insert(parent + name);
        m_names << parent + name;
        if (e.folder)
            folders.insert(e.path, parent + name);
        else
            m_total += qint64(e.size);
    }
    m_entry = int(m_saved.size()) - 1;
    qint64 have = m_done;
    for (int i = 0; i < m_offer.entries.size(); ++i)
        if (!m_offer.entries[i].folder)
            have += QFileInfo(partPath(i)).size();
    if (m_total - have > m_disk.freeBytes(m_folder))
        return QStringLiteral("空き容量が足りません（%1 MB 要ります）。")
            .arg((m_total - have + 999999) / 1000000);
    return {};
}

void Fetch::start(const QStringList &saved)
{
    if (const QString why = plan(saved); !why.isEmpty())
        return stop(why);
    m_connection = FilesConnection::open(m_sender, m_port, FrameMsecs, IdleMsecs, this, m_from);
    connect(m_connection, &FilesConnection::frameArrived, this, &Fetch::arrived);
    connect(m_connection, &FilesConnection::closed, this,
            [this] { stop(QStringLiteral("送信元との接続が切れました。")); });
    connect(m_connection, &FilesConnection::greeted, this, &Fetch::next);
}

void Fetch::cancel()
{
    // The offer stands: 保存 again takes up from here.
    stop(QStringLiteral("中止しました。"));
}

void Fetch::next()
{
    while (!m_over && ++m_entry < m_offer.entries.size()) {
        if (m_offer.entries[m_entry].folder) {
            if (!m_disk.makeFolder(m_folder + u'/' + m_names[m_entry]))
                return stop(m_disk.failure);
            m_saved << m_names[m_entry];
            continue;
        }
        m_part.setFileName(partPath(m_entry));
        // A link standing where the part goes is nobody's part.
        if (QFileInfo(m_part.fileName()).isSymLink())
            return stop(QStringLiteral("書き込めません: ") + m_part.fileName());
        m_hash.reset();
        m_kept.close();
        m_kept.setFileName(m_part.fileName());
        // Longer than the file offered: nothing of it can be the file's.
        if (m_kept.size() > qint64(m_offer.entries[m_entry].size) && !m_kept.remove())
            return stop(QStringLiteral("書き込めません: ") + m_kept.fileName());
        if (m_kept.exists() && !m_kept.open(QIODevice::ReadOnly))
            return stop(QStringLiteral("読めません: ") + m_kept.fileName());
        return resume();
    }
    if (!m_over) {
        m_over = true;
        // All of it is here: the sender serves it no more.
        if (m_connection) {
            // It outlives this fetch until its last frame has left.
            disconnect(m_connection, nullptr, this, nullptr);
            m_connection->setParent(parent());
            m_connection->sendAndClose(filesframe::Cancel{m_offer.token});
        }
        emit finished(m_saved, QString());
    }
}

// What an earlier try kept is hashed, a little a turn, then asked past.
void Fetch::resume()
{
    if (m_over)
        return;
    for (int i = 0; i < PrefixChunksPerTurn && m_kept.isOpen(); ++i) {
        const QByteArray chunk = m_kept.read(filesframe::ChunkBytes);
        if (chunk.isEmpty())
            m_kept.close();
        m_hash.addData(chunk);
    }
    if (!m_kept.isOpen()) {
        if (!m_part.open(QIODevice::WriteOnly | QIODevice::Append))
            return stop(QStringLiteral("書き込めません: ") + m_part.fileName());
        const qint64 offset = m_part.size();
        m_done += offset;
        emit progressed(m_done, m_total);
        m_connection->send(filesframe::Get{m_offer.token, quint32(m_entry), quint64(offset)});
        return;
    }
    QTimer::singleShot(0, this, &Fetch::resume);
}

void Fetch::arrived(const filesframe::Frame &frame)
{
    if (m_over || m_entry < 0 || m_entry >= m_offer.entries.size())
        return;
    if (const auto *data = std::get_if<filesframe::Data>(&frame)) {
        // Never more than was offered.
        if (quint64(m_part.size() + data->bytes.size()) > m_offer.entries[m_entry].size)
            return stop(QStringLiteral("送信元が申し出より多く送りました。"));
        if (!m_disk.append(m_part, data->bytes))
            return stop(m_disk.failure);
        m_hash.addData(data->bytes);
        m_done += data->bytes.size();
        emit progressed(m_done, m_total);
    } else if (const auto *end = std::get_if<filesframe::End>(&frame)) {
        complete(*end);
    } else if (const auto *refusal = std::get_if<filesframe::Refusal>(&frame)) {
        // Taken back, gone or changed: what came of it can never be finished.
        using R = filesframe::Refusal;
        stop(refusal->text, refusal->reason == R::Busy || refusal->reason == R::Malformed);
    } else {
        stop(QStringLiteral("送信元の応答が正しくありません。"));
    }
}

void Fetch::complete(const filesframe::End &end)
{
    m_part.close();
    const QString part = m_part.fileName();
    if (quint64(QFileInfo(part).size()) != m_offer.entries[m_entry].size ||
        end.sha256 != m_hash.result()) {
        // Nothing of it is worth keeping for another try.
        return stop(QStringLiteral("「%1」が正しく届きませんでした（SHA-256 が違います）。")
                        .arg(m_names[m_entry]),
                    false);
    }
    if (!m_disk.rename(part, m_folder + u'/' + m_names[m_entry]))
        return stop(m_disk.failure);
    m_saved << m_names[m_entry];
    next();
}

void Fetch::stop(const QString &problem, bool partKept)
{
    if (std::exchange(m_over, true))
        return;
    m_part.close();
    // A part with nothing in it keeps nothing for another try either.
    const QFileInfo part(m_part.fileName());
    if (!m_part.fileName().isEmpty() && !part.isSymLink() && (!partKept || part.size() == 0))
        QFile::remove(m_part.fileName());
    if (m_connection)
        m_connection->close();
    emit finished(m_saved, problem);
}
