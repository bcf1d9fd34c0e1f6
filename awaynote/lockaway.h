#pragma once

#include <QObject>
#include <QString>
#include <functional>

class AwayNote;

// While the screen is locked, peers see a note (when the user asks for it
// and has none of their own); on unlock the note left here is withdrawn,
// and only that one: a note the user wrote meanwhile stays.
class LockAway : public QObject
{
    Q_OBJECT
public:
    struct Wish
    {
        bool onLock = false;
        QString text; // never blank
    };
    LockAway(AwayNote &note, std::function<Wish()> wish, QObject *parent = nullptr);

    void lockChanged(bool locked);
    // The note changed, by the user or a peer's fetch.
    void noteChanged();

private:
    AwayNote &m_note;
    std::function<Wish()> m_wish;
    QString m_left; // the text left on lock; empty: none left here
};
