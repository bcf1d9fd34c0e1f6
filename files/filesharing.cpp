#include "filesharing.h"

#include "fetch.h"

#include <QDir>
#include <QElapsedTimer>

namespace {
qint64 steadyMsecs()
{
    static QElapsedTimer clock = [] {
        QElapsedTimer t;
        t.start();
        return t;
    }();
    return clock.elapsed();
}
} // namespace

const QString CannotTakeFiles = QStringLiteral("ファイルを受け取れません");

FileSharing::FileSharing(const QHostAddress &address, quint16 port,
                         std::function<QDateTime()> now, QObject *parent)
    : QObject(parent), m_listener(address, port, FilesListener::Limits{}),
      m_book(steadyMsecs), m_channel(m_listener, m_book, port), m_now(std::move(now)),
      m_port(port)
{
    connect(&m_channel, &FilesChannel::offerReceived, this, &FileSharing::offerReceived);
}

bool FileSharing::listen()
{
    m_listening = m_listener.listen();
    return m_listening;
}

void FileSharing::offer(const QString &address, int rowNo, const QStringList &paths)
{
    if (paths.isEmpty())
        return;
    // The recipient pulls from this copy's listener: without it nothing
    // could be served.
    if (!m_listening)
        return emit offered(address, rowNo,
                            QStringLiteral("ファイルの受け渡し口 (TCP %1) を開けていません。")
                                .arg(m_port));
    QString problem;
    // The sender is filled in on the way: the address the recipient sees.
    const auto offer = m_book.offer(paths, address, QString(), quint32(rowNo), &problem);
    if (!offer)
        return emit offered(address, rowNo, problem);
    const QByteArray token = offer->token;
    Standing standing{token, address, rowNo, {}, m_now()};
    for (const filesframe::Entry &e : offer->entries)
        if (!e.path.contains(u'/'))
            standing.names << (e.folder ? e.path + u'/' : e.path);
    m_channel.post(QHostAddress(address), *offer, [this, address, rowNo, standing](bool taken) {
        // What is no longer served is forgotten here too.
        m_standing.removeIf([this](const Standing &s) { return !m_book.standing(s.token); });
        if (taken)
            m_standing << standing;
        else
            m_book.cancel(standing.token);
        emit offered(address, rowNo, taken ? QString() : CannotTakeFiles);
    });
}

QList<FileSharing::Standing> FileSharing::standing() const
{
    QList<Standing> served;
    for (const Standing &s : m_standing)
        if (m_book.standing(s.token))
            served << s;
    return served;
}

void FileSharing::withdraw(const QByteArray &token)
{
    m_book.cancel(token);
    m_standing.removeIf([&token](const Standing &s) { return s.token == token; });
}

Fetch *FileSharing::save(const FilesChannel::Received &offer, const QString &folder)
{
    // The download folder's own folder is made when first needed; a folder
    // that cannot be made shows as the fetch's problem.
    QDir().mkpath(folder);
    // From this copy's own address: the sender serves only the recipient's.
    auto *fetch = new Fetch(offer.offer, folder, QHostAddress(offer.sender), m_port, m_disk,
                            m_listener.address(), this);
    connect(fetch, &Fetch::finished, fetch, &QObject::deleteLater);
    return fetch;
}

QString standingText(const FileSharing::Standing &offer, const QString &name)
{
    const QString what = offer.names.size() > 1
                             ? QStringLiteral("%1 ほか %2 件").arg(offer.names.first()).arg(offer.names.size() - 1)
                             : offer.names.value(0);
    return QStringLiteral("%1: %2 (%3)")
        .arg(name, what, offer.at.toString(QStringLiteral("M/d HH:mm")));
}

QString sizeText(qint64 bytes)
{
    if (bytes < 1024)
        return QStringLiteral("%1 B").arg(bytes);
    const char *units[] = {"KB", "MB", "GB", "TB"};
    double value = double(bytes) / 1024;
    int unit = 0;
    while (value >= 1024 && unit < 3) {
        value /= 1024;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(QLatin1String(units[unit]));
}
