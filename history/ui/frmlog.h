#pragma once

#include <QWidget>

class HistoryBrowser;
class HistoryView;
class HistoryModel;
class QAction;
class QDateEdit;
class QLineEdit;
class QTimer;
class QFrame;
class QLabel;
class QMenu;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;

// "送受信履歴": the history as a list, or one row at a time in the detail
// view, with the file menu. Created on first use, then only hidden.
class FrmLog : public QWidget
{
    Q_OBJECT
public:
    // Inner size at creation, in twips.
    static constexpr double DesignWidth = 5955;
    static constexpr double DesignHeight = 3540;

    FrmLog(HistoryModel &history, HistoryBrowser &browser, QWidget *parent = nullptr);

    void applyIcon(const QIcon &normal);
    // Shown now: the date and time panels as of when.
    void stamp(const QDateTime &when);
    // The list or the detail view as the browser stands now.
    void refresh();

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    QMenuBar *menuBar;
    QMenu *mnuFile;
    QAction *mnuRead;
    QAction *mnuAdd;
    QAction *mnuBar1;
    QAction *mnuWrite;
    QFrame *Picture1;
    QLineEdit *TxtFind;
    QDateEdit *DtpFrom;
    QLabel *LblRange;
    QDateEdit *DtpTo;
    HistoryView *LvLog;
    QFrame *PicLog;
    QLabel *LblFrom;
    QLabel *LblTo;
    QLabel *LblDate;
    QLabel *LblSt;
    QLabel *LblRt;
    QPlainTextEdit *TxtLog;
    QPushButton *CmdBack;
    QPushButton *CmdNext;
    QPushButton *CmdOK;
    QPushButton *CmdClear;
    QLabel *Image1;
    QStatusBar *StatusBar1;
    QLabel *panel1;
    QLabel *panel2;
    QLabel *panel3;

    void relayout();
    void placeLabels();
    // The search as the box and the dates stand, after the typing pauses.
    void connectControls();
    void find();
    void clearSearch();
    void showModel();

    HistoryBrowser &m_browser;
    HistoryModel &m_history;
    QTimer *m_pause;
};
