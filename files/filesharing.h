#pragma once

#include "disk.h"
#include "fileschannel.h"
#include "fileslistener.h"
#include "offerbook.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <functional>

class Fetch;

// Files that go with messages, for the running copy: its listener, what it
// offers and what it was offered. The text of a message never waits for
// them: a peer that cannot take files still has the message.
class FileSharing : public QObject
{
    Q_OBJECT
public:
    // address and port: where this copy listens (the message port's number,
    // on TCP); now: the time of day offers are told by.
    FileSharing(const QHostAddress &address, quint16 port,
                std::function<QDateTime()> now = &QDateTime::currentDateTime,
                QObject *parent = nullptr);

    // Opens the listener; false, with errorText, when it cannot.
    bool listen();
    bool listening() const { return m_listening; }
    QString errorText() const { return m_listener.errorText(); }

    // The message with history row rowNo went to address: paths go with it.
    void offer(const QString &address, int rowNo, const QStringList &paths);

    // The offer that came with the message numbered message from address.
    const FilesChannel::Received *received(const QString &address, quint32 message) const
    {
        return m_channel.received(address, message);
    }

    // What this copy still serves, and taking an offer back.
    using Standing = OfferBook::Standing;
    QList<Standing> standing() const { return m_book.standing(); }
    void withdraw(const QByteArray &token) { m_book.cancel(token); }

    // Saves an offer into folder; the fetch is this part's child, gone
    // after it finished.
    Fetch *save(const FilesChannel::Received &offer, const QString &folder);

signals:
    // What became of an offer: taken, or why not (a sentence for the user).
    void offered(const QString &address, int rowNo, const QString &problem);
    void offerReceived(const FilesChannel::Received &offer);

private:
    FilesListener m_listener;
    OfferBook m_book;
    FilesChannel m_channel;
    Disk m_disk;
    quint16 m_port;
    bool m_listening = false;
};

// What the results say of a recipient that did not take the offer.
extern const QString CannotTakeFiles;

// How an offer still served reads in a menu: to whom (name), what, when.
QString standingText(const FileSharing::Standing &offer, const QString &name);

// Sizes as the user reads them: "512 B", "1.5 KB", "2.0 MB".
QString sizeText(qint64 bytes);
