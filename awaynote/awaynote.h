#pragma once

#include <QDateTime>
#include <QObject>
#include <QString>

// The away note any peer may fetch, and its state as the note window's
// panel shows it: empty (no note), "未確認", then when and how often it was
// fetched. A note is on offer while the state is not empty.
class AwayNote : public QObject
{
    Q_OBJECT
public:
    enum class Ok { Destroyed, Kept, Empty };
    // Each fetch after the first adds a ">" to the state, up to this many.
    static constexpr int MaxMarks = 99;

    using QObject::QObject;

    QString text() const { return m_text; }
    QString state() const { return m_state; }
    bool isSet() const { return !m_state.isEmpty(); }

    // The note window opens: a note without a state becomes "未確認".
    void open();
    // What the user types, as it stands (a peer may fetch it mid-sentence).
    void setText(const QString &text);
    // OK: a fetched note is done with; an unfetched one is kept while it has text.
    Ok ok();
    // ｷｬﾝｾﾙ or the close box: the note is gone.
    void withdraw();
    // A peer fetched it at now. A request when there is no note changes
    // nothing: it must not start announcing a note nobody wrote.
    void answered(const QDateTime &now);
    // Writes a note and offers it, as the note window does.
    void leave(const QString &text);

signals:
    void changed();

private:
    QString m_text;
    QString m_state;
};
