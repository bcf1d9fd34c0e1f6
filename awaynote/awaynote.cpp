#include "awaynote.h"

void AwayNote::leave(const QString &text)
{
    m_text = text;
    m_set = true;
    emit changed();
}

void AwayNote::withdraw()
{
    m_text.clear();
    m_set = false;
    emit changed();
}
