#pragma once

#include <QWidget>

struct Appearance;
class AttachControls;
class Attachments;
class Composer;
class PeerSearch;
class Dialogs;
class FileSharing;
class PortanaIni;
struct IniOptions;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QStatusBar;
class QTreeView;
class UserListModel;
struct OptSettings;

// The compose window "送信ﾒｯｾｰｼﾞ": pick a peer, type, send. Hidden most of
// the time; closing it only hides it.
class FrmSnd : public QWidget
{
    Q_OBJECT
public:
    // The border and caption the layout rules count in the outer size, in twips.
    static constexpr double FrameWidth = 120;
    static constexpr double FrameHeight = 420;

    FrmSnd(Composer &composer, PeerSearch &peers, UserListModel &users, PortanaIni &ini,
           Dialogs &dialogs, const OptSettings &settings, QWidget *parent = nullptr);

    // Files may go with a message: 添付, drops and pasted pictures.
    void attachWith(Attachments &attachments, FileSharing &files);

    // A peer's away note, asked for from here: it takes the message box's
    // place, above what the user typed.
    void showAwayNote(const QString &note);

    // Places, searches, empties the message and shows the window.
    void open();
    void setWeekday(const QString &weekday);
    // Without a notification area the window is the way in: its picture
    // opens the tray menu, and closing it only minimises it.
    void standInForTray();
    // The icon set's normal picture, as the window's icon and its picture.
    void applyIcon(const QIcon &normal);
    void applyAppearance(const Appearance &appearance);
    // A reply left from the received-message window: its text stays here.
    void setReplyText(const QString &text);
    // ﾕｰｻﾞｰ数 in the status bar.
    void showUserCount(const QString &text);
    // When the last search ran, and the targets it could not reach.
    void showSearch(const QDateTime &when, const QStringList &unreachable);

signals:
    void ipSetRequested();
    // 接続確認; address: the chosen peer's, or empty.
    void connectionCheckRequested(const QString &address);
    // The picture was clicked while the window stands in for the tray, or F10 pressed.
    void trayMenuRequested(const QPoint &at);

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *TxtTO;
    QComboBox *CboGroup;
    QPlainTextEdit *TxtMsg;
    QTreeView *ListView1;
    QPushButton *CmdSend;
    QPushButton *CmdCancel;
    QPushButton *CmdKensaku;
    QPushButton *CmdLetter;
    QLabel *Image1;
    QWidget *picSplitter;
    QStatusBar *StatusBar1;
    QLabel *panel1;
    QLabel *panel2;
    QLabel *panel3;
    QMenu *mnuSend;
    QMenu *mnuWithdraw = nullptr;
    AttachControls *m_attach = nullptr;
    Attachments *m_attachments = nullptr;

    void CmdSend_Click();
    // An away note arrived: shown only when asked for from this window.
    void ListView1_ItemClick(const QModelIndex &index);
    // Several rows chosen, or back to one: the recipient box names them.
    void ListView1_SelectionChanged();
    void CboGroup_Activated(int index);
    // The offers still served, each to be taken back.
    void mnuWithdraw_AboutToShow(FileSharing &files);
    void listGroups();
    void chooseGroup(const QString &name);
    void registerGroup();
    void removeGroup();
    void saveGroups(const IniOptions &edited);
    // Names for screen readers, and keys for the keyboard alone.
    void makeReachable();
    void connectControls();
    void tell(const QString &text);
    // The chosen rows, in the list's order.
    QList<int> selectedRows() const;
    void relayout();
    // Out of the way: hidden, or minimised where there is no tray to come back by.
    void putAway();
    bool splitterEvent(QEvent *event);
    void paintSplitter();

    Composer &m_composer;
    PeerSearch &m_peers;
    UserListModel &m_users;
    PortanaIni &m_ini; // its groups
    Dialogs &m_dialogs;
    const OptSettings &m_settings;
    bool m_standsInForTray = false;
    // Set by the splitter; the design's until it is dragged.
    double m_toWidth;
    double m_listWidth;
    int m_notesAsked = 0; // 置き手紙参照 presses not yet answered
    QString m_noteShown;  // the box as the last note left it
    bool m_dragging = false;
    bool m_several = false; // more than one row chosen
    QString m_group;        // the group chosen last
};
