#pragma once

#include "optionpage.h"

#include <functional>

class QLabel;
class QLineEdit;

// ﾕｰｻﾞｰ情報: the name peers see.
class UserInfoPage : public OptionPage
{
    Q_OBJECT
public:
    // Whether a display name can stand in a message's name field (a name
    // that reads as a notice word would make every message a notice).
    using NameCheck = std::function<bool(const QString &name)>;

    explicit UserInfoPage(NameCheck nameUsable, QWidget *parent = nullptr);
    void fill(const OptSettings &settings, const IniOptions &ini) override;
    // A name refused keeps the one in force.
    void gather(OptSettings &settings, IniOptions &ini) override;
    QString problem() const override;
    void shown() override;

private:
    NameCheck m_nameUsable;
    QLabel *Label4, *Label5, *Label6;
    QLineEdit *TxtName;
};
