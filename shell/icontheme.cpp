#include "icontheme.h"

#include "iconsets.h"

QIcon IconTheme::normal() const
{
    return iconsets::normal(m_set);
}

QIcon IconTheme::arrival() const
{
    return iconsets::arrival(m_set);
}

bool IconTheme::apply(int set)
{
    if (!iconsets::isValid(set))
        return false;
    m_set = set;
    emit changed(set);
    return true;
}
