#pragma once

#include "optionpage.h"

class QLabel;
class QPlainTextEdit;

// ﾈｯﾄﾜｰｸ: where a search goes besides this copy's own networks.
class NetworkPage : public OptionPage
{
    Q_OBJECT
public:
    explicit NetworkPage(QWidget *parent = nullptr);
    void fill(const OptSettings &settings, const IniOptions &ini) override;
    void gather(OptSettings &settings, IniOptions &ini) override;
    // The first line that cannot be a target, and why; or why the lines
    // are too many together.
    QString problem() const override;

private:
    QLabel *LblTargets;
    QPlainTextEdit *TxtTargets;
    QLabel *LblTargetCheck;
};
