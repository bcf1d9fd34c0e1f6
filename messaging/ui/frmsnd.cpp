#include "frmsnd.h"

#include "appearance.h"
#include "attachcontrols.h"
#include "attachments.h"
#include "composer.h"
#include "controls.h"
#include "dialogs.h"
#include "fieldtext.h"
#include "filesharing.h"
#include "optsettings.h"
#include "peersearch.h"
#include "plaintitle.h"
#include "portanaini.h"
#include "sendwindowlayout.h"
#include "twips.h"
#include "userlistmodel.h"
#include "windowplacement.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QTreeView>

namespace {

enum GroupItem { Register = 1, Remove };

} // namespace

FrmSnd::FrmSnd(Composer &composer, PeerSearch &peers, UserListModel &users, PortanaIni &ini,
               Dialogs &dialogs, const OptSettings &settings, QWidget *parent)
    : QWidget(parent), m_composer(composer), m_peers(peers), m_users(users), m_ini(ini),
      m_dialogs(dialogs), m_settings(settings)
{
    setObjectName(QStringLiteral("FrmSnd"));
    setWindowTitle(QStringLiteral("送信ﾒｯｾｰｼﾞ"));

    TxtTO = named(new QLineEdit(this), "TxtTO");
    TxtMsg = named(new QPlainTextEdit(this), "TxtMsg");
    CboGroup = named(new QComboBox(this), "CboGroup");
    CboGroup->setPlaceholderText(QStringLiteral("ｸﾞﾙｰﾌﾟ"));
    listGroups();
    ListView1 = named(new QTreeView(this), "ListView1");
    ListView1->setModel(&m_users);
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setItemsExpandable(false);
    ListView1->setAllColumnsShowFocus(true);
    ListView1->setSelectionBehavior(QAbstractItemView::SelectRows);
    ListView1->setSelectionMode(QAbstractItemView::ExtendedSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->header()->setSectionsClickable(true);
    ListView1->header()->setSortIndicatorShown(false);

    CmdSend = named(new QPushButton(QStringLiteral("送信(&S)"), this), "CmdSend");
    CmdCancel = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ "), this), "CmdCancel");
    CmdKensaku = named(new QPushButton(QStringLiteral("再検索"), this), "CmdKensaku");
    CmdLetter = named(new QPushButton(QStringLiteral("置き手紙参照"), this), "CmdLetter");
    CmdLetter->setEnabled(false);
    Image1 = named(new QLabel(this), "Image1");
    Image1->setAlignment(Qt::AlignCenter);
    Image1->installEventFilter(this);
    picSplitter = named(new QWidget(this), "picSplitter");
    picSplitter->setCursor(Qt::SplitHCursor);
    picSplitter->setAutoFillBackground(true);
    picSplitter->installEventFilter(this);
    m_toWidth = SendWindowDesign::ToWidth;
    m_listWidth = SendWindowDesign::ListWidth;
    paintSplitter();

    StatusBar1 = statusBar(this, {{&panel1, 3}, {&panel2, 2}, {&panel3, 1}});

    mnuSend = named(new QMenu(QStringLiteral("送信"), this), "mnuSend");
    QAction *mnuIp = mnuSend->addAction(QStringLiteral("IPｱﾄﾞﾚｽ指定(&I)"));
    mnuIp->setObjectName(QStringLiteral("mnuIp"));
    connect(mnuIp, &QAction::triggered, this, &FrmSnd::ipSetRequested);
    // Why someone is missing from the list.
    QAction *mnuCheck = mnuSend->addAction(QStringLiteral("接続確認(&K)..."));
    mnuCheck->setObjectName(QStringLiteral("mnuCheck"));
    connect(mnuCheck, &QAction::triggered, this,
            [this] { emit connectionCheckRequested(m_users.selectedPeerAddress()); });
    makeReachable();

    connectControls();

    const QScreen *screen = twips::screenOf(this);
    const QSize design = twips::toPixels(SendWindowDesign::Width - FrameWidth,
                                         SendWindowDesign::Height - FrameHeight, screen);
    picSplitter->move(twips::toPixelsX(SendWindowDesign::SplitterLeft, screen), 0);
    resize(design);
    setMinimumSize(design); // smaller, the buttons would stand on the boxes
    for (int col = 0; col < UserListModel::ColumnCount; ++col)
        ListView1->setColumnWidth(col, twips::toPixelsX(col == 0 ? 1100 : 900, screen));
}

void FrmSnd::connectControls()
{
    connect(CmdSend, &QPushButton::clicked, this, &FrmSnd::CmdSend_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmSnd::putAway);
    connect(CmdKensaku, &QPushButton::clicked, this, [this] { m_peers.search(); });
    connect(CmdLetter, &QPushButton::clicked, this, [this] {
        if (m_composer.askNote())
            ++m_notesAsked;
    });
    connect(ListView1, &QTreeView::clicked, this, &FrmSnd::ListView1_ItemClick);
    // Enter on a row chooses it as a click does, for those who use the keyboard:
    // also the row the cursor stands on when Tab comes into the list, which
    // is current but not yet chosen.
    connect(ListView1, &QTreeView::activated, this, [this](const QModelIndex &index) {
        if (index.isValid() && !ListView1->selectionModel()->isRowSelected(index.row()))
            ListView1->selectionModel()->select(index, QItemSelectionModel::ClearAndSelect |
                                                           QItemSelectionModel::Rows);
        ListView1_ItemClick(index);
    });
    connect(ListView1->header(), &QHeaderView::sectionClicked, &m_users,
            &UserListModel::sortByColumn);
    connect(ListView1->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &FrmSnd::ListView1_SelectionChanged);
    // A new search empties the list, and the choice with it (without a word).
    connect(&m_users, &UserListModel::modelReset, this, &FrmSnd::ListView1_SelectionChanged);
    connect(CboGroup, &QComboBox::activated, this, &FrmSnd::CboGroup_Activated);
    connect(&m_ini, &PortanaIni::changed, this, &FrmSnd::listGroups);
}

void FrmSnd::makeReachable()
{
    // Read aloud as what they are, not by their object names.
    readAs(TxtTO, QStringLiteral("宛先"));
    readAs(TxtMsg, QStringLiteral("メッセージ"));
    readAs(CboGroup, QStringLiteral("グループ"));
    readAs(ListView1, QStringLiteral("ユーザー一覧"));
    readAs(Image1, QStringLiteral("ぽるとな～のメニュー"),
           QStringLiteral("F10 でタスクトレイのメニュー、Shift+F10 で送信のメニューを開きます"));
    // Keys for the buttons, the tray's menu and the picture's own, for those
    // who use the keyboard alone or have no tray.
    pressedBy(CmdCancel, QKeySequence(Qt::Key_Escape));
    pressedBy(CmdKensaku, QKeySequence(Qt::Key_F5));
    pressedBy(CmdLetter, QKeySequence(QStringLiteral("Alt+L")));
    TxtMsg->setTabChangesFocus(true);
    readingOrder({TxtTO, CboGroup, ListView1, TxtMsg, CmdKensaku, CmdLetter, CmdSend, CmdCancel});
    const auto under = [this] { return Image1->mapToGlobal(QPoint(0, Image1->height())); };
    connect(new QShortcut(QKeySequence(Qt::Key_F10), this), &QShortcut::activated, this,
            [this, under] { emit trayMenuRequested(under()); });
    connect(new QShortcut(QKeySequence(QStringLiteral("Shift+F10")), this), &QShortcut::activated,
            this, [this, under] { mnuSend->popup(under()); });
}

void FrmSnd::attachWith(Attachments &attachments, FileSharing &files)
{
    m_attachments = &attachments;
    m_attach = new AttachControls(attachments, m_dialogs, *this, *TxtMsg);
    QAction *mnuAttach = mnuSend->addAction(QStringLiteral("添付(&F)..."));
    mnuAttach->setObjectName(QStringLiteral("mnuAttach"));
    connect(mnuAttach, &QAction::triggered, m_attach, &AttachControls::CmdAttach_Click);
    connect(m_attach, &AttachControls::shownChanged, this, &FrmSnd::relayout);
    // Sent to the wrong peer, or the wrong file: it is served no more.
    mnuWithdraw = named(mnuSend->addMenu(QStringLiteral("ﾌｧｲﾙの受け渡しをやめる(&W)")),
                        "mnuWithdraw");
    connect(mnuWithdraw, &QMenu::aboutToShow, this,
            [this, &files] { mnuWithdraw_AboutToShow(files); });
    // After the message, before the buttons; the list after the box it belongs to.
    QWidget::setTabOrder(TxtMsg, m_attach->list());
    QWidget::setTabOrder(m_attach->list(), m_attach->button());
    QWidget::setTabOrder(m_attach->button(), CmdKensaku);
    relayout();
}

void FrmSnd::mnuWithdraw_AboutToShow(FileSharing &files)
{
    mnuWithdraw->clear();
    const QList<FileSharing::Standing> standing = files.standing();
    if (standing.isEmpty())
        mnuWithdraw->addAction(QStringLiteral("（受け渡し中のﾌｧｲﾙはありません）"))->setEnabled(false);
    for (const FileSharing::Standing &offer : standing) {
        const QString name = m_users.nameAt(offer.recipient);
        // A name's "&" is no key, nor its tab a shortcut's column.
        QString text = fieldtext::unprintablesAsSpaces(
            standingText(offer, name.isEmpty() ? offer.recipient : name));
        QAction *item = mnuWithdraw->addAction(text.replace(u'&', QStringLiteral("&&")));
        connect(item, &QAction::triggered, this,
                [&files, token = offer.token] { files.withdraw(token); });
    }
}

void FrmSnd::setWeekday(const QString &weekday)
{
    panel3->setText(weekday);
}

void FrmSnd::standInForTray()
{
    m_standsInForTray = true;
    Image1->setToolTip(QStringLiteral("ぽるとな～"));
}

void FrmSnd::applyIcon(const QIcon &normal)
{
    setWindowIcon(normal);
    setPicture(Image1, normal);
}

void FrmSnd::applyAppearance(const Appearance &appearance)
{
    appearance.applyTo({TxtMsg, TxtTO, ListView1});
}

void FrmSnd::showSearch(const QDateTime &when, const QStringList &unreachable)
{
    QString text = QStringLiteral("検索 ") + when.toString(QStringLiteral("HH:mm:ss"));
    if (!unreachable.isEmpty())
        text += QStringLiteral("（届かない検索先：") + unreachable.join(u'、') + u'）';
    panel2->setText(text);
    panel2->setToolTip(plainTip(text)); // the panel may be too narrow for every name
}

void FrmSnd::showUserCount(const QString &text)
{
    panel1->setText(text);
}

void FrmSnd::setReplyText(const QString &text)
{
    TxtMsg->setPlainText(text);
}

void FrmSnd::open()
{
    if (!(windowState() & (Qt::WindowMinimized | Qt::WindowMaximized)))
        placeWidget(this, m_settings);
    m_peers.search();
    // A fresh list starts at its top-left corner, whatever was scrolled before.
    ListView1->scrollToTop();
    ListView1->horizontalScrollBar()->setValue(0);
    TxtMsg->clear();
    CmdLetter->setEnabled(false);
    m_notesAsked = 0;
    show();
    raise();
    activateWindow();
    TxtMsg->setFocus();
}

void FrmSnd::showAwayNote(const QString &note)
{
    if (m_notesAsked == 0)
        return; // nobody asked for it from here
    --m_notesAsked;
    const QString text = QStringLiteral("置き手紙受信内容  => ") + note;
    // The note takes the box's place, but what the user typed stays below it.
    const QString typed = TxtMsg->toPlainText();
    if (typed.isEmpty() || typed == m_noteShown)
        TxtMsg->setPlainText(text);
    else
        TxtMsg->setPlainText(text + u'\n' + typed);
    m_noteShown = TxtMsg->toPlainText();
}

void FrmSnd::CmdSend_Click()
{
    const QStringList files = m_attachments ? m_attachments->paths() : QStringList();
    Posted posted = Posted::Sent;
    if (const QList<int> rows = selectedRows(); rows.size() > 1) {
        std::vector<SendRound::Recipient> recipients;
        for (int row : rows) {
            const UserListModel::Row &r = m_users.at(row);
            recipients.push_back({r.name, r.address});
        }
        posted = m_composer.sendToEach(recipients, TxtMsg->toPlainText(), [this](int count) {
            return m_dialogs.messageBox({QString::number(count) +
                                             QStringLiteral(" 人に送信します。よろしいですか？"),
                                         QStringLiteral("ぽるとな～"), Dialogs::Icon::Question,
                                         Dialogs::Buttons::YesNo, Dialogs::No}) == Dialogs::Yes;
        }, files);
    } else {
        posted = m_composer.send(TxtTO->text(), TxtMsg->toPlainText(), files);
    }
    if (posted == Posted::Sent) {
        if (m_attachments)
            m_attachments->clear(); // they went with it
        putAway();
    }
    else if (const QString why = refusalText(posted); !why.isEmpty())
        tell(why); // the window stays, with what was typed
}

QList<int> FrmSnd::selectedRows() const
{
    QList<int> rows;
    for (const QModelIndex &index : ListView1->selectionModel()->selectedRows())
        rows << index.row();
    std::sort(rows.begin(), rows.end());
    return rows;
}

void FrmSnd::ListView1_SelectionChanged()
{
    const QList<int> rows = selectedRows();
    const bool several = rows.size() > 1;
    if (several) {
        QStringList names;
        for (int row : rows)
            names << m_users.at(row).name;
        TxtTO->setText(names.join(u'、'));
        TxtTO->setCursorPosition(0);                // the first names show; every one in the tip
        TxtTO->setToolTip(plainTip(TxtTO->text())); // peers' names, never markup
        CmdLetter->setEnabled(false);
    } else if (m_several) {
        // Back to one (or none): as a click on it would leave it.
        TxtTO->clear();
        TxtTO->setToolTip(QString());
        if (rows.size() == 1) {
            m_several = false;
            ListView1_ItemClick(m_users.index(rows.front(), UserListModel::NameCol));
        }
    }
    m_several = several;
    // The names stand for the chosen rows; typed over, they would name nobody.
    TxtTO->setReadOnly(several);
}

void FrmSnd::listGroups()
{
    CboGroup->clear();
    const QList<Group> &groups = m_ini.options().groups;
    for (const Group &g : groups)
        CboGroup->addItem(g.name);
    if (!groups.isEmpty())
        CboGroup->insertSeparator(CboGroup->count());
    CboGroup->addItem(QStringLiteral("選んだ人をｸﾞﾙｰﾌﾟに登録..."), Register);
    if (!groups.isEmpty())
        CboGroup->addItem(QStringLiteral("ｸﾞﾙｰﾌﾟを削除..."), Remove);
    CboGroup->setCurrentIndex(CboGroup->findText(m_group));
}

void FrmSnd::CboGroup_Activated(int index)
{
    const int item = CboGroup->itemData(index).toInt();
    if (item == Register)
        registerGroup();
    else if (item == Remove)
        removeGroup();
    else
        chooseGroup(CboGroup->itemText(index));
    CboGroup->setCurrentIndex(CboGroup->findText(m_group));
}

void FrmSnd::chooseGroup(const QString &name)
{
    const QList<Group> &groups = m_ini.options().groups;
    const auto group = std::find_if(groups.begin(), groups.end(),
                                    [&name](const Group &g) { return g.name == name; });
    if (group == groups.end())
        return;
    m_group = name;
    const UserListModel::Found found = m_users.find(group->members);
    QItemSelection selection;
    for (int row : found.rows)
        selection.select(m_users.index(row, 0), m_users.index(row, UserListModel::ColumnCount - 1));
    ListView1->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
    if (!found.rows.isEmpty())
        ListView1->selectionModel()->setCurrentIndex(m_users.index(found.rows.front(), 0),
                                                     QItemSelectionModel::NoUpdate);
    if (found.rows.size() == 1) // one listed: the recipient, as a click makes it
        ListView1_ItemClick(m_users.index(found.rows.front(), UserListModel::NameCol));
    QStringList missing;
    for (const GroupMember &m : found.missing)
        missing << m.text();
    QString text = QStringLiteral("「") + name + QStringLiteral("」") +
                   QString::number(found.rows.size()) + QStringLiteral(" 人");
    if (!missing.isEmpty())
        text += QStringLiteral("（一覧にいない人：") + missing.join(u'、') + u'）';
    // Found by login alone: the message goes to where that login is now,
    // which the user should see before sending.
    for (int row : found.moved)
        text += QStringLiteral("　") + m_users.at(row).name.trimmed() + QStringLiteral(": ") +
                m_users.at(row).address + QStringLiteral(" に移りました");
    panel2->setText(text);
    panel2->setToolTip(plainTip(text));
}

void FrmSnd::registerGroup()
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return tell(QStringLiteral("ｸﾞﾙｰﾌﾟにする人を一覧から選んでください。"));
    const auto name =
        m_dialogs.askText(QStringLiteral("ｸﾞﾙｰﾌﾟ名："), QStringLiteral("ｸﾞﾙｰﾌﾟ登録"), m_group);
    if (!name || name->trimmed().isEmpty())
        return;
    Group group{name->trimmed(), {}};
    for (int row : rows)
        group.members << m_users.memberAt(row);
    m_group = group.name;
    IniOptions edited = m_ini.options();
    putGroup(edited.groups, group);
    saveGroups(edited);
}

void FrmSnd::tell(const QString &text)
{
    m_dialogs.messageBox({text, QStringLiteral("ぽるとな～"), Dialogs::Icon::Exclamation,
                          Dialogs::Buttons::Ok, Dialogs::Ok});
}

void FrmSnd::saveGroups(const IniOptions &edited)
{
    // Not saved: the groups are in force all the same, and the next change
    // writes them again.
    for (const QString &unsaved : m_ini.commit(edited))
        tell(unsaved);
}

void FrmSnd::removeGroup()
{
    if (m_group.isEmpty())
        return tell(QStringLiteral("削除するｸﾞﾙｰﾌﾟを先に選んでください。"));
    if (m_dialogs.messageBox(
            {QStringLiteral("ｸﾞﾙｰﾌﾟ「") + m_group + QStringLiteral("」を削除しますか？"),
             QStringLiteral("ぽるとな～"), Dialogs::Icon::Question, Dialogs::Buttons::YesNo,
             Dialogs::No}) != Dialogs::Yes)
        return;
    const QString name = std::exchange(m_group, QString());
    IniOptions edited = m_ini.options();
    edited.groups.removeIf([&name](const Group &g) { return g.name == name; });
    saveGroups(edited);
}

void FrmSnd::ListView1_ItemClick(const QModelIndex &index)
{
    if (!index.isValid())
        return;
    TxtMsg->setFocus();
    // With several chosen the recipient box names them all; a row Ctrl
    // took out of the choice is not the recipient.
    if (m_several || !ListView1->selectionModel()->isRowSelected(index.row()))
        return;
    m_users.select(index.row());
    const UserListModel::Row &row = m_users.at(index.row());
    TxtTO->setText(index.siblingAtColumn(UserListModel::NameCol).data().toString());
    CmdLetter->setEnabled(row.mark == QStringLiteral("○"));
}

void FrmSnd::closeEvent(QCloseEvent *event)
{
    // The close box only hides: the program lives on in the tray.
    event->ignore();
    putAway();
}

void FrmSnd::putAway()
{
    if (m_standsInForTray)
        showMinimized();
    else
        hide();
}

void FrmSnd::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

bool FrmSnd::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == picSplitter)
        return splitterEvent(event);
    if (watched == Image1 && event->type() == QEvent::MouseButtonPress) {
        const auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::RightButton)
            mnuSend->popup(mouse->globalPosition().toPoint());
        else if (mouse->button() == Qt::LeftButton && m_standsInForTray)
            emit trayMenuRequested(mouse->globalPosition().toPoint());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void FrmSnd::paintSplitter()
{
    QPalette palette = picSplitter->palette();
    palette.setColor(QPalette::Window,
                     palette.color(m_dragging ? QPalette::Dark : QPalette::Button));
    picSplitter->setPalette(palette);
}

bool FrmSnd::splitterEvent(QEvent *event)
{
    const QScreen *screen = twips::screenOf(this);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_dragging = true;
        paintSplitter();
        return true;
    case QEvent::MouseMove: {
        if (!m_dragging)
            return true;
        // Only the bar moves while it is dragged.
        const auto *mouse = static_cast<QMouseEvent *>(event);
        const double p = twips::fromPixelsX(picSplitter->x() + int(mouse->position().x()), screen);
        const double left = dragSendSplitter(p, twips::fromPixelsX(width(), screen));
        picSplitter->move(twips::toPixelsX(left, screen), picSplitter->y());
        return true;
    }
    case QEvent::MouseButtonRelease: {
        m_dragging = false;
        paintSplitter();
        const double left = twips::fromPixelsX(picSplitter->x(), screen);
        m_toWidth = left - 12;
        m_listWidth = left + 12;
        relayout();
        return true;
    }
    default:
        return false;
    }
}

void FrmSnd::relayout()
{
    const QScreen *screen = twips::screenOf(this);
    const double w = twips::fromPixelsX(width(), screen) + FrameWidth;
    const double h = twips::fromPixelsY(height(), screen) + FrameHeight;
    const bool attached = m_attach && !m_attach->list()->isHidden();
    const SendWindowLayout l = layoutSendWindow(w, h, m_toWidth, m_listWidth,
                                                attached ? SendWindowDesign::AttachHeight : 0);
    const auto rect = [screen](const QRectF &r) { return twips::toPixels(r, screen); };
    const QSize button =
        twips::toPixels(SendWindowDesign::ButtonWidth, SendWindowDesign::ButtonHeight, screen);
    const auto at = [screen, button](const QPointF &p) {
        return QRect(QPoint(twips::toPixelsX(p.x(), screen), twips::toPixelsY(p.y(), screen)),
                     button);
    };
    TxtTO->setGeometry(rect(l.txtTO));
    CboGroup->setGeometry(rect(l.cboGroup));
    TxtMsg->setGeometry(rect(l.txtMsg));
    // The bar stands where it was left; its height follows the message box.
    picSplitter->resize(twips::toPixelsX(SendWindowDesign::SplitterWidth, screen),
                        TxtMsg->height());
    ListView1->setGeometry(rect(l.listView1));
    CmdSend->setGeometry(at(l.cmdSend));
    CmdCancel->setGeometry(at(l.cmdCancel));
    CmdLetter->setGeometry(at(l.cmdLetter));
    CmdKensaku->setGeometry(at(l.cmdKensaku));
    if (m_attach) {
        m_attach->list()->setGeometry(rect(l.lstAttach));
        m_attach->button()->setGeometry(
            rect(QRectF(l.cmdAttach, QSizeF(SendWindowDesign::AttachWidth,
                                            SendWindowDesign::ButtonHeight))));
    }
    const int image = twips::toPixelsX(SendWindowDesign::ImageSize, screen);
    Image1->setGeometry(twips::toPixelsX(l.image1.x(), screen),
                        twips::toPixelsY(l.image1.y(), screen), image, image);
    const int barHeight = StatusBar1->sizeHint().height();
    StatusBar1->setGeometry(0, height() - barHeight, width(), barHeight);
}
