#pragma once

#include <QString>
#include <QWidget>

struct IniOptions;
struct OptSettings;
class QCheckBox;

// One page of the options dialog: its controls, filled from the settings
// in force and gathered back over them.
class OptionPage : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    // Puts the settings into the controls (also over unsaved edits).
    virtual void fill(const OptSettings &settings, const IniOptions &ini) = 0;
    // The controls over the settings passed in.
    virtual void gather(OptSettings &settings, IniOptions &ini) = 0;
    // Why OK cannot take the page as it stands (lines end in \n); empty
    // when it can.
    virtual QString problem() const { return {}; }
    // The page came up, or another took its place.
    virtual void shown() {}
    virtual void left() {}

protected:
    QCheckBox *check(const char *name, const QString &caption);
};
