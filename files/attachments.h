#pragma once

#include <QDateTime>
#include <QObject>
#include <QStringList>

// What the send window attaches to the next message: files and folders by
// their whole paths, each once, and pictures pasted into the message box,
// kept as PNG files in a folder of their own until they have been served.
class Attachments : public QObject
{
    Q_OBJECT
public:
    // pictures: where pasted pictures are kept.
    explicit Attachments(QString pictures, QObject *parent = nullptr);

    const QStringList &paths() const { return m_paths; }
    // The names the list shows: each path's last part.
    QStringList names() const;
    // Adds what is not there yet; a path that cannot be read is passed
    // over and named in the problem.
    void add(const QStringList &paths, QString *problem = nullptr);
    void remove(int index);
    void clear();
    // Keeps png as "貼り付け 2026-12-11 09.08.07.png" (taken at when) and
    // attaches it; false, with problem set, when it could not be written.
    bool addPicture(const QByteArray &png, const QDateTime &when, QString *problem);

    // Pasted pictures older than an offer lives are no one's any more.
    void prunePictures(const QDateTime &now);

signals:
    void changed();

private:
    QString m_pictures;
    QStringList m_paths;
};
