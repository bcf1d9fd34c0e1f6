#pragma once

#include "fileschannel.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <functional>

class Fetch;
class FileSharing;

// The files offered with received messages, and their saving, for the
// received-message window: what the message on display offers, how far its
// saving got, at what rate, and what became of it. A saving goes on while
// another message is on display; one that stopped (a cut connection) takes
// up where it stopped when saved again into the same folder.
class ReceivedFiles : public QObject
{
    Q_OBJECT
public:
    enum class State { None, Offered, Saving, Saved, Failed };

    // folder: where files go unless the user picks another, as the options
    // say now; now: milliseconds on a steady clock, for the rate.
    ReceivedFiles(FileSharing &sharing, std::function<QString()> folder,
                  std::function<qint64()> now, QObject *parent = nullptr);
    QString defaultFolder() const { return m_folder(); }

    // The message on display: from address, with the sender's reference.
    void show(const QString &address, const QString &refField);
    // An offer came (perhaps after its message): shown if it is the one on display.
    void offerArrived(const FilesChannel::Received &offer);

    State state() const;
    // One row for each file and folder offered: its name and size.
    QStringList rows() const;
    int percent() const;
    // "12.3 MB/s 残り 8 秒" while saving.
    QString rateText() const;
    // What became of it: where it was saved, or why not.
    QString statusText() const;
    // Where the last saving of the message on display went (to try again there).
    QString folder() const;

    // Saves the offer on display (a try that stopped goes on where it went,
    // unless another folder is given).
    void save(const QString &folder = QString());
    // Saves any offer (the folder: as save() chooses it).
    void saveOffer(const FilesChannel::Received &offer, const QString &folder = QString());
    void cancel();

signals:
    void changed();
    // A saving stopped with a problem (also one not on display), not
    // stopped by the user.
    void failed(const QString &sender, const QString &problem);

private:
    using Key = std::pair<QString, quint32>;
    struct Transfer
    {
        QPointer<Fetch> fetch;
        State state = State::Offered;
        qint64 done = 0;
        qint64 total = 0;
        qint64 startedAt = 0;
        qint64 startDone = -1; // what was there when this try's first bytes came
        QString folder;
        QStringList saved;
        QString status;
        bool cancelled = false; // by the user: nothing to tell
        int toldPercent = -1;   // what the window last heard, and when
        qint64 toldAt = 0;
    };
    const FilesChannel::Received *offer() const;
    const Transfer *current() const;
    void progressed(const Key &key, qint64 done, qint64 total);
    void finished(const Key &key, const QStringList &saved, const QString &problem);

    FileSharing &m_sharing;
    std::function<QString()> m_folder;
    std::function<qint64()> m_now;
    std::optional<Key> m_shown;
    std::map<Key, Transfer> m_transfers;
};
