#pragma once

#include <QWidget>

struct Appearance;
class Clock;
class Dialogs;
class FilesPanel;
class Inbox;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTimer;
class Receiver;
class ReceivedFiles;

// "受信ﾒｯｾｰｼﾞ": one waiting message at a time, its body behind OPEN, and
// the answers. Created on first use, then only hidden.
class FrmRecv : public QWidget
{
    Q_OBJECT
public:
    // The border and caption counted in the outer size, in twips.
    static constexpr double FrameWidth = 120;
    static constexpr double FrameHeight = 420;

    FrmRecv(Inbox &inbox, Receiver &receiver, const Clock &clock, Dialogs &dialogs,
            QWidget *parent = nullptr);

    void setWeekday(const QString &weekday);
    // The set's pictures beside the buttons.
    void applyIcons(const QIcon &normal, const QIcon &arrival);
    void applyAppearance(const Appearance &appearance);
    // Shown for reading: the focus in the reply box, or on OPEN.
    void setReadingFocus(bool onOpen);
    // The inbox's entry on display, as the inbox stands now.
    void refresh();
    // The reply box empties (the inbox says when).
    void clearReply();
    // Files offered with the messages show under the text, once it is open.
    void offerFiles(ReceivedFiles &files);
    // The files of the message on display, as their model stands now.
    void refreshFiles();

signals:
    // OPEN met the password gate: the password window is to be shown.
    void passwordRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QPlainTextEdit *Text1;
    QWidget *picSplitter;
    QPlainTextEdit *Text2;
    QPushButton *CmdOPCL;
    QPushButton *CmdBack;
    QPushButton *CmdNext;
    QPushButton *CmdInyo;
    QPushButton *CmdCback;
    QPushButton *CmdCancel;
    QPushButton *CmdDel;
    QStatusBar *StatusBar1;
    QLabel *panel1;
    QLabel *panel2;
    QLabel *panel3;
    QLabel *panel4;
    QLabel *Image1;
    QLabel *Image2;
    FilesPanel *pnlFiles = nullptr;

    void CmdOPCL_Click();
    void CmdInyo_Click();
    void CmdCback_Click();
    void CmdCancel_Click();
    void CmdDel_Click();
    void tick();
    // What the answers could not do, told as the user answers.
    void warn(const QString &text);
    void untold(bool told);
    void relayout();
    bool eventFilter(QObject *watched, QEvent *event) override;

    Inbox &m_inbox;
    Receiver &m_receiver;
    const Clock &m_clock;
    Dialogs &m_dialogs;
    ReceivedFiles *m_files = nullptr;
    QTimer *m_clockTimer;
    double m_bodyHeight; // set by the splitter
    bool m_dragging = false;
};
