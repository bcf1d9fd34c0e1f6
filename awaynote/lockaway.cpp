#include "lockaway.h"

#include "awaynote.h"

#include <utility>

LockAway::LockAway(AwayNote &note, std::function<Wish()> wish, QObject *parent)
    : QObject(parent), m_note(note), m_wish(std::move(wish))
{
}

void LockAway::lockChanged(bool locked)
{
    if (locked) {
        const Wish wish = m_wish();
        if (!wish.onLock || m_note.isSet())
            return;
        m_left = wish.text;
        m_note.leave(m_left);
        return;
    }
    // Withdrawn only while it is still the one left here (fetched or not);
    // the note window changes the text without a word, hence the look.
    const QString left = std::exchange(m_left, {});
    if (!left.isEmpty() && m_note.isSet() && m_note.text() == left)
        m_note.withdraw();
}

void LockAway::noteChanged()
{
    // A note the user wrote over it, or withdrew and wrote anew, is theirs.
    if (!m_left.isEmpty() && (!m_note.isSet() || m_note.text() != m_left))
        m_left.clear();
}
