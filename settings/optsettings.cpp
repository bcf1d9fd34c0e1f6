#include "optsettings.h"

#include "fieldtext.h"

void OptSettings::setOptName(const QString &name)
{
    optName = fieldtext::pad(name, fieldtext::NameWidth);
}

bool OptSettings::hasDisplayName() const
{
    return !fieldtext::isBlank(optName);
}
