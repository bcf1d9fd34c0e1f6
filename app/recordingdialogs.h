#pragma once

#include "dialogs.h"

// Keeps the code of the most recent answer, as the program remembers it.
class RecordingDialogs final : public Dialogs
{
public:
    explicit RecordingDialogs(Dialogs &inner) : m_inner(inner) {}

    Answer messageBox(const Box &box) override
    {
        const Answer answer = m_inner.messageBox(box);
        m_lastAnswer = QString::number(int(answer));
        return answer;
    }

    QString openFileName(const QString &start) override { return m_inner.openFileName(start); }
    QString saveFileName(const QString &start) override { return m_inner.saveFileName(start); }
    std::optional<quint32> chooseColor(quint32 initial) override
    {
        return m_inner.chooseColor(initial);
    }
    std::optional<Font> chooseFont(const Font &initial) override
    {
        return m_inner.chooseFont(initial);
    }

    const QString &lastAnswer() const { return m_lastAnswer; }

private:
    Dialogs &m_inner;
    QString m_lastAnswer;
};
