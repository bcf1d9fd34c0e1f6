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
      m_book(steadyMsecs, std::move(now)), m_channel(m_listener, m_book, port), m_port(port)
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
    m_channel.post(QHostAddress(address), *offer, [this, address, rowNo, token](bool taken) {
        if (!taken)
            m_book.cancel(token);
        emit offered(address, rowNo, taken ? QString() : CannotTakeFiles);
    });
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
