#pragma once

#include <QWidget>

struct Appearance;
class AwayNote;
class Dialogs;
class QLabel;
class QMimeData;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

// "置き手紙作成": the away note, its state, and text files dropped on it.
// Closing it (ｷｬﾝｾﾙ, the close box, OK once fetched) destroys the note.
class FrmLetter : public QWidget
{
    Q_OBJECT
public:
    static constexpr double DesignWidth = 4530; // inner size, twips
    static constexpr double DesignHeight = 2190;

    FrmLetter(AwayNote &note, Dialogs &dialogs, QWidget *parent = nullptr);

    void applyIcon(const QIcon &normal);
    void applyAppearance(const Appearance &appearance);
    // The note's state (未確認, fetched …) in the status bar, as it is now.
    void showNoteState();

    // Files dropped on the note (or anything else that is dropped).
    void dropped(const QMimeData *mime);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPlainTextEdit *TxtLetter;
    QPushButton *CmdOK;
    QPushButton *CmdCancel;
    QStatusBar *StatusBar1;
    QLabel *panel1;
    QLabel *Image1;

    void CmdOK_Click();
    void relayout();

    AwayNote &m_note;
    Dialogs &m_dialogs;
    QString m_lastDropped;
};
