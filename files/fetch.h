#pragma once

#include "filesframe.h"

#include <QCryptographicHash>
#include <QFile>
#include <QHostAddress>
#include <QObject>
#include <QPointer>
#include <QStringList>

class Disk;
class FilesConnection;

// Pulls one offer into a folder: each file into a ".part" beside its place,
// from where an earlier try stopped, renamed to a free name only once its
// SHA-256 matches; folders made as they come. Nothing is overwritten,
// nothing leaves the folder, and a failed write stops it all with what was
// saved before left as it was.
class Fetch : public QObject
{
    Q_OBJECT
public:
    // from: the address this copy's connection leaves from (none: as routed).
    Fetch(filesframe::Offer offer, QString folder, QHostAddress sender, quint16 port, Disk &disk,
          const QHostAddress &from = QHostAddress(), QObject *parent = nullptr);

    // saved: what an earlier try of this offer saved (its finished list),
    // which this one takes as done.
    void start(const QStringList &saved = {});
    void cancel();
    qint64 total() const { return m_total; }

signals:
    void progressed(qint64 done, qint64 total);
    // problem: empty when every entry was saved; saved: the names as saved,
    // relative to the folder.
    void finished(const QStringList &saved, const QString &problem);

private:
    QString plan(const QStringList &saved);
    void next();
    void resume();
    void arrived(const filesframe::Frame &frame);
    void complete(const filesframe::End &end);
    // partKept: what came may be taken up again (a cut, 中止, a full disk).
    void stop(const QString &problem, bool partKept = true);
    QString partPath(int entry) const;

    filesframe::Offer m_offer;
    QString m_folder;
    QHostAddress m_sender;
    quint16 m_port;
    QHostAddress m_from;
    Disk &m_disk;
    QStringList m_names; // each entry's name as it is saved, relative to m_folder
    QPointer<FilesConnection> m_connection;
    int m_entry = -1;
    QFile m_part;
    QFile m_kept; // the part an earlier try left, read to be hashed
    QCryptographicHash m_hash{QCryptographicHash::Sha256};
    qint64 m_total = 0;
    qint64 m_done = 0;
    QStringList m_saved;
    bool m_over = false;
};
