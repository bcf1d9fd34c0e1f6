#pragma once

#include "filesframe.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <functional>
#include <memory>

class FilesConnection;

// What this copy offers, and serving it: only to the recipient's address
// with its offer's token, only the entries offered, each only while it is
// as it was offered, and only for a day (or until cancelled).
class OfferBook : public QObject
{
    Q_OBJECT
public:
    static constexpr qint64 LifeMsecs = 24 * 3600 * 1000;

    // now: milliseconds on a steady clock (tests move it); wall: the time of
    // day an offer is told by.
    explicit OfferBook(std::function<qint64()> now,
                       std::function<QDateTime()> wall = &QDateTime::currentDateTime,
                       QObject *parent = nullptr);

    // An offer of paths (files, and folders with all they hold) to one
    // recipient, for the message sender/number; nothing, with problem set,
    // when a path cannot be read.
    std::optional<filesframe::Offer> offer(const QStringList &paths, const QString &recipient,
                                           const QString &sender, quint32 message,
                                           QString *problem);
    // The sender takes an offer back: a get of it in progress is refused.
    void cancel(const QByteArray &token);
    // An offer still served: neither taken back, nor withdrawn, nor past its day.
    struct Standing
    {
        QByteArray token;
        QString recipient;
        QStringList names; // what was attached: files, and folders with "/"
        QDateTime at;      // when it was offered
    };
    QList<Standing> standing() const; // the oldest first

    // A connection that said hello: its gets are served from here.
    void serve(FilesConnection *connection);

private:
    struct Offered
    {
        QString recipient;
        qint64 until = 0;
        QDateTime at;
        QList<filesframe::Entry> entries;
        QStringList files; // each entry's local path
        bool withdrawn = false; // kept to say so, until its day is over
    };
    struct Stream; // one get being served
    void get(FilesConnection *connection, const filesframe::Get &get);
    void pump(const std::shared_ptr<Stream> &stream);
    QString refusal(FilesConnection *connection, const filesframe::Get &get,
                    filesframe::Refusal::Reason *reason) const;

    std::function<qint64()> m_now;
    std::function<QDateTime()> m_wall;
    QHash<QByteArray, Offered> m_offers;
    QHash<FilesConnection *, std::shared_ptr<Stream>> m_streams;
};
