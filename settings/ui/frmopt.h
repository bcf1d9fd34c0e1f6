#pragma once

#include "optsettings.h"

#include <QWidget>
#include <array>
#include <functional>

class Autostart;
class Dialogs;
class QCheckBox;
class QSpinBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabBar;
class QPlainTextEdit;
class KeepSettings;
class NotifySettings;
class SearchSettings;
class SettingsStore;

// "ｵﾌﾟｼｮﾝ指定": the settings in five pages. Filled from the settings when
// opened; OK and 更新(&A) gather and save them, except on the password page,
// where they run the password action alone.
class FrmOpt : public QWidget
{
    Q_OBJECT
public:
    enum Page { SendRecv, Password, Display, UserInfo, Other, Network };

    // Whether a display name can stand in a message's name field (a name
    // that reads as a notice word would make every message a notice).
    using NameCheck = std::function<bool(const QString &name)>;

    FrmOpt(SettingsStore &store, SearchSettings &search, NotifySettings &notify, KeepSettings &keep,
           Dialogs &dialogs, NameCheck nameUsable, Autostart &autostart, QWidget *parent = nullptr);

    // Puts the settings into the controls (also over unsaved edits).
    void fill();

signals:
    // A colour or font was chosen: every window shows it at once, until
    // appearanceRestored: OK and 更新 put it in force, ｷｬﾝｾﾙ (or closing
    // the dialog) drops it.
    void appearancePreviewed(const OptSettings &draft);
    void appearanceRestored();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    QTabBar *TabStrip1;
    std::array<QWidget *, 6> pages; // Picture1 to Picture6
    // 送受信
    QCheckBox *ChkSend, *ChkSndMin, *ChkRecv, *ChkRcvMin, *ChkTime, *ChkOther, *ChkDsp, *ChkBlink;
    // ﾊﾟｽﾜｰﾄﾞ
    QCheckBox *ChkPw1;
    QLineEdit *TxtPw1, *TxtPw2, *TxtPw3;
    QLabel *Label1, *Label2;
    QPushButton *CmdPok;
    // 表示
    QGroupBox *Frame1, *Frame2, *Frame3;
    QLineEdit *TxtColor, *TxtFont, *TxtSize;
    QPushButton *CmdColor, *CmdFont;
    QRadioButton *OptLeftup, *OptRightup, *OptLeftlow, *OptRightlow, *OptCenter;
    // ﾕｰｻﾞｰ情報
    QLabel *Label4, *Label5, *Label6;
    QLineEdit *TxtName;
    // その他
    QCheckBox *ChkIcon;
    QCheckBox *ChkStartup; // kept as the autostart entry, not in the settings file
    QCheckBox *ChkNotify;  // kept in portana.ini
    QLabel *LblKeep;       // how long the history is kept, also in portana.ini
    QComboBox *CboKeep;
    QSpinBox *TxtKeep;
    QLabel *Label3;
    // ﾈｯﾄﾜｰｸ
    QLabel *LblTargets;
    QPlainTextEdit *TxtTargets;
    QLabel *LblTargetCheck;
    QPushButton *CmdOK, *CmdCancel, *CmdWrite;

    // The settings in force with this dialog's edits over them.
    OptSettings optGather();
    void PwEnable();
    void showPage(int page);
    void passwordAction();
    void fillPassword();
    void fillDisplay();
    void CmdColor_Click();
    void CmdFont_Click();
    void ChkStartup_Click();
    // The first line of the search targets that cannot be one, and why;
    // empty when every line can.
    QString targetProblem() const;
    // OK and 更新: true when the dialog may close.
    bool apply();

    SettingsStore &m_store;
    SearchSettings &m_search;
    NotifySettings &m_notify;
    KeepSettings &m_keep;
    Dialogs &m_dialogs;
    NameCheck m_nameUsable;
    Autostart &m_autostart;
    int m_page = SendRecv;
    // The colour and font as edited here: they reach the settings in force
    // only through OK or 更新 (the rest waits in the controls).
    OptSettings m_draft;
    bool m_previewing = false;
};
