#include "optionpage.h"

#include "controls.h"

#include <QCheckBox>

QCheckBox *OptionPage::check(const char *name, const QString &caption)
{
    return named(new QCheckBox(caption, this), name);
}
