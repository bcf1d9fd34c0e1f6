#include "offerbook.h"

#include "fileslistener.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QTimer>
#include <algorithm>
#include <tuple>

namespace {

// How far ahead of the socket a stream reads: a few chunks in flight keep
// the link busy; more would only be memory.
constexpr qint64 AheadBytes = 16 * filesframe::ChunkBytes;
// What one turn of the event loop hashes of a prefix the receiver has.
constexpr int PrefixChunksPerTurn = 16;

filesframe::Entry entryOf(const QFileInfo &info, const QString &path)
{
    return {path, info.isDir(), info.isDir() ? 0 : quint64(info.size()),
            info.lastModified().toMSecsSinceEpoch()};
}

} // namespace

struct OfferBook::Stream
{
    QPointer<FilesConnection> connection;
    QByteArray token;
    QFile file;
    QCryptographicHash hash{QCryptographicHash::Sha256};
    qint64 offset = 0; // what the receiver has
};

OfferBook::OfferBook(std::function<qint64()> now, std::function<QDateTime()> wall,
                     QObject *parent)
    : QObject(parent), m_now(std::move(now)), m_wall(std::move(wall))
{
}

std::optional<filesframe::Offer> OfferBook::offer(const QStringList &paths,
                                                  const QString &recipient, const QString &sender,
                                                  quint32 message, QString *problem)
{
    Offered offered;
    offered.recipient = recipient;
    offered.until = m_now() + LifeMsecs;
    offered.at = m_wall();
    for (const QString &path : paths) {
        const QFileInfo top(path);
        if (!top.exists() || !top.isReadable() || top.isSymLink()) {
            *problem = QStringLiteral("「%1」を読めません。").arg(path);
            return std::nullopt;
        }
        offered.entries << entryOf(top, top.fileName());
        offered.files << top.absoluteFilePath();
        if (!top.isDir())
            continue;
        // A folder's own files and folders, never what a link points to.
        QDirIterator it(top.absoluteFilePath(),
                        QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo info(it.next());
            if (info.isSymLink())
                continue;
            offered.entries << entryOf(
                info, top.fileName() + u'/' +
                          QDir(top.absoluteFilePath()).relativeFilePath(info.absoluteFilePath()));
            offered.files << info.absoluteFilePath();
        }
    }
    if (offered.entries.size() > filesframe::MaxEntries) {
        *problem = QStringLiteral("ﾌｧｲﾙが多すぎます（%1 個まで）。").arg(filesframe::MaxEntries);
        return std::nullopt;
    }
    QByteArray token(filesframe::TokenBytes, '\0');
    QRandomGenerator::system()->generate(token.begin(), token.end());
    filesframe::Offer offer{sender, message, token, offered.entries};
    if (filesframe::write(offer).size() > qsizetype(filesframe::MaxFrameBytes) + 4) {
        *problem = QStringLiteral("ﾌｧｲﾙが多すぎます（名前が長いと少なくなります）。");
        return std::nullopt;
    }
    // Past its day an offer is kept a day more, to tell a late recipient why.
    m_offers.removeIf([this](const auto &o) { return m_now() > o.value().until + LifeMsecs; });
    m_offers.insert(token, std::move(offered));
    return offer;
}

void OfferBook::cancel(const QByteArray &token)
{
    const auto offered = m_offers.find(token);
    if (offered == m_offers.end())
        return;
    offered->withdrawn = true;
    offered->files.clear();
    for (auto it = m_streams.begin(); it != m_streams.end();) {
        const auto stream = it.value();
        if (stream->token != token) {
            ++it;
            continue;
        }
        it = m_streams.erase(it);
        stream->file.close();
        if (stream->connection)
            stream->connection->send(filesframe::Refusal{
                filesframe::Refusal::Cancelled, QStringLiteral("送信者が受け渡しをやめました。")});
    }
}

QList<OfferBook::Standing> OfferBook::standing() const
{
    QList<Standing> served;
    for (auto it = m_offers.cbegin(); it != m_offers.cend(); ++it) {
        if (it->withdrawn || m_now() > it->until)
            continue;
        Standing s{it.key(), it->recipient, {}, it->at};
        for (const filesframe::Entry &e : it->entries)
            if (!e.path.contains(u'/'))
                s.names << (e.folder ? e.path + u'/' : e.path);
        served << s;
    }
    std::sort(served.begin(), served.end(),
              [](const Standing &a, const Standing &b) {
                  return std::tie(a.at, a.recipient) < std::tie(b.at, b.recipient);
              });
    return served;
}

void OfferBook::serve(FilesConnection *connection)
{
    connect(connection, &FilesConnection::written, this, [this, connection] {
        if (const auto stream = m_streams.value(connection))
            pump(stream);
    });
    connect(connection, &FilesConnection::closed, this,
            [this, connection] { m_streams.remove(connection); });
    connect(connection, &FilesConnection::frameArrived, this,
            [this, connection](const filesframe::Frame &frame) {
                if (const auto *g = std::get_if<filesframe::Get>(&frame))
                    get(connection, *g);
                else if (const auto *c = std::get_if<filesframe::Cancel>(&frame)) {
                    // Only its recipient withdraws it.
                    const auto it = m_offers.constFind(c->token);
                    if (it != m_offers.constEnd() &&
                        QHostAddress(it->recipient) == connection->peer())
                        m_offers.erase(it);
                } else {
                    connection->send(filesframe::Refusal{filesframe::Refusal::Malformed,
                                                         QStringLiteral("受け付けない要求です。")});
                    connection->close();
                }
            });
}

QString OfferBook::refusal(FilesConnection *connection, const filesframe::Get &get,
                           filesframe::Refusal::Reason *reason) const
{
    using R = filesframe::Refusal;
    const auto it = m_offers.constFind(get.token);
    // A token not offered and one offered to another host read the same:
    // nothing tells a stranger which tokens there are.
    if (it == m_offers.constEnd() || QHostAddress(it->recipient) != connection->peer() ||
        get.entry >= quint32(it->entries.size())) {
        *reason = R::NotOffered;
        return QStringLiteral("送られていないﾌｧｲﾙです。");
    }
    if (it->withdrawn) {
        *reason = R::Cancelled;
        return QStringLiteral("送信者が受け渡しをやめました。");
    }
    if (m_now() > it->until) {
        *reason = R::Expired;
        return QStringLiteral("送られてから 24 時間が過ぎました。");
    }
    const filesframe::Entry &e = it->entries[get.entry];
    const QFileInfo now(it->files[get.entry]);
    if (e.folder || !now.exists() || quint64(now.size()) != e.size ||
        now.lastModified().toMSecsSinceEpoch() != e.modified || get.offset > e.size) {
        *reason = R::Changed;
        return QStringLiteral("「%1」は送った後に変更されました。").arg(e.path);
    }
    return {};
}

void OfferBook::get(FilesConnection *connection, const filesframe::Get &get)
{
    filesframe::Refusal::Reason reason{};
    if (const QString why = refusal(connection, get, &reason); !why.isEmpty())
        return connection->send(filesframe::Refusal{quint8(reason), why});
    auto stream = std::make_shared<Stream>();
    stream->connection = connection;
    stream->token = get.token;
    stream->file.setFileName(m_offers[get.token].files[get.entry]);
    stream->offset = qint64(get.offset);
    if (!stream->file.open(QIODevice::ReadOnly))
        return connection->send(filesframe::Refusal{filesframe::Refusal::Changed,
                                                    QStringLiteral("読めなくなりました: ") +
                                                        stream->file.errorString()});
    // One stream a connection: a later get takes the place of one unfinished.
    m_streams.insert(connection, stream);
    pump(stream);
}

void OfferBook::pump(const std::shared_ptr<Stream> &stream)
{
    FilesConnection *c = stream->connection;
    if (!c || !stream->file.isOpen() || m_streams.value(c) != stream)
        return; // done, or taken over by a later get
    int prefixChunks = 0;
    while (c->unsent() < AheadBytes) {
        const QByteArray chunk = stream->file.read(filesframe::ChunkBytes);
        if (chunk.isEmpty()) {
            stream->file.close();
            if (stream->file.error() != QFileDevice::NoError)
                return c->send(
                    filesframe::Refusal{filesframe::Refusal::Changed, stream->file.errorString()});
            return c->send(filesframe::End{stream->hash.result()});
        }
        stream->hash.addData(chunk);
        const qint64 end = stream->file.pos();
        if (end <= stream->offset) {
            // What the receiver has is hashed, not sent; a little a turn.
            if (++prefixChunks == PrefixChunksPerTurn)
                return QTimer::singleShot(0, c, [this, stream] { pump(stream); });
            continue;
        }
        const qint64 skip = std::max<qint64>(0, stream->offset - (end - chunk.size()));
        c->send(filesframe::Data{chunk.mid(skip)});
    }
}
