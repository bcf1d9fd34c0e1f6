#include "awaynote.h"

#include <QLocale>

namespace {
const QString Unread = QStringLiteral("未確認");
}

void AwayNote::open()
{
    if (m_state.isEmpty()) {
        m_state = Unread;
        emit changed();
    }
}

void AwayNote::setText(const QString &text)
{
    m_text = text;
}

AwayNote::Ok AwayNote::ok()
{
    if (m_state != Unread) {
        withdraw();
        return Ok::Destroyed;
    }
    return m_text.isEmpty() ? Ok::Empty : Ok::Kept;
}

void AwayNote::withdraw()
{
    m_text.clear();
    m_state.clear();
    emit changed();
}

void AwayNote::answered(const QDateTime &now)
{
    if (m_state.isEmpty())
        return;
    if (m_state == Unread)
        m_state = QStringLiteral("確認されました...  ") +
                  QLocale().toString(now.date(), QLocale::ShortFormat) + QStringLiteral(" / ") +
                  now.time().toString(QStringLiteral("HH:mm:ss"));
    else {
        qsizetype marks = 0;
        while (marks < m_state.size() && m_state.at(m_state.size() - 1 - marks) == u'>')
            ++marks;
        if (marks >= MaxMarks)
            return;
        m_state += u'>';
    }
    emit changed();
}

void AwayNote::leave(const QString &text)
{
    m_text = text;
    open();
}
