#include "frmrecv.h"

#include "appearance.h"
#include "clock.h"
#include "controls.h"
#include "dialogs.h"
#include "filespanel.h"
#include "inbox.h"
#include "plaintitle.h"
#include "posted.h"
#include "receivedfiles.h"
#include "receiver.h"
#include "recvwindowlayout.h"
#include "twips.h"

#include <QCloseEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QTimer>

FrmRecv::FrmRecv(Inbox &inbox, Receiver &receiver, const Clock &clock, Dialogs &dialogs,
                 QWidget *parent)
    : QWidget(parent), m_inbox(inbox), m_receiver(receiver), m_clock(clock), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FrmRecv"));

    Text1 = named(new QPlainTextEdit(this), "Text1");
    Text1->setReadOnly(true);
    // Read-only, yet the keys (and a screen reader with them) walk its lines.
    Text1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    Text1->setFocusPolicy(Qt::StrongFocus);
    Text1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QPalette face = Text1->palette();
    face.setColor(QPalette::Base, face.color(QPalette::Button));
    Text1->setPalette(face);
    Text1->hide();
    picSplitter = named(new QWidget(this), "picSplitter");
    picSplitter->setCursor(Qt::SplitVCursor);
    picSplitter->setMouseTracking(true); // moves over it re-apply the sizes
    picSplitter->installEventFilter(this);
    m_bodyHeight = RecvWindowDesign::BodyHeight;
    Text2 = named(new QPlainTextEdit(this), "Text2");
    Text2->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);

    CmdOPCL = named(new QPushButton(QStringLiteral("OPEN"), this), "CmdOPCL");
    CmdBack = named(new QPushButton(QStringLiteral("<"), this), "CmdBack");
    CmdNext = named(new QPushButton(QStringLiteral(">"), this), "CmdNext");
    CmdInyo = named(new QPushButton(QStringLiteral("引用"), this), "CmdInyo");
    CmdCback = named(new QPushButton(QStringLiteral("返信(&S)"), this), "CmdCback");
    CmdCancel = named(new QPushButton(QStringLiteral("返信保留 "), this), "CmdCancel");
    CmdCancel->setToolTip(QStringLiteral("受信内容は残して画面を閉じます。"));
    CmdDel = named(new QPushButton(QStringLiteral("閉じる"), this), "CmdDel");
    pressedBy(CmdOPCL, QKeySequence(QStringLiteral("Alt+O")));
    pressedBy(CmdBack, QKeySequence(QStringLiteral("Alt+Left")));
    pressedBy(CmdNext, QKeySequence(QStringLiteral("Alt+Right")));
    pressedBy(CmdInyo, QKeySequence(QStringLiteral("Alt+Q")));
    pressedBy(CmdCancel, QKeySequence(QStringLiteral("Alt+H")));
    pressedBy(CmdDel, QKeySequence(Qt::Key_Escape));
    CmdDel->setToolTip(QStringLiteral("受信内容は消されます。"));
    Image1 = named(new QLabel(this), "Image1");
    Image2 = named(new QLabel(this), "Image2");
    readAs(Text1, QStringLiteral("受信メッセージ"));
    readAs(Text2, QStringLiteral("返信メッセージ"));
    readAs(Image1, QStringLiteral("ぽるとな～"));
    readAs(Image2, QStringLiteral("メッセージ着信"));
    readAs(CmdBack, QStringLiteral("前のメッセージ"));
    readAs(CmdNext, QStringLiteral("次のメッセージ"));
    for (QPlainTextEdit *box : {Text1, Text2})
        box->setTabChangesFocus(true);
    readingOrder({Text1, Text2, CmdBack, CmdNext, CmdOPCL, CmdCancel, CmdDel, CmdInyo, CmdCback});

    StatusBar1 = statusBar(this, {{&panel1, 3}, {&panel2, 1}, {&panel3, 2}, {&panel4, 4}});

    // The date and time panels keep themselves current, while the window is up.
    m_clockTimer = new QTimer(this);
    m_clockTimer->setSingleShot(true);
    connect(m_clockTimer, &QTimer::timeout, this, &FrmRecv::tick);

    connect(CmdOPCL, &QPushButton::clicked, this, &FrmRecv::CmdOPCL_Click);
    connect(CmdNext, &QPushButton::clicked, this, [this] { untold(m_receiver.next()); });
    connect(CmdBack, &QPushButton::clicked, this, [this] { untold(m_receiver.back()); });
    connect(CmdInyo, &QPushButton::clicked, this, &FrmRecv::CmdInyo_Click);
    connect(CmdCback, &QPushButton::clicked, this, &FrmRecv::CmdCback_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &FrmRecv::CmdCancel_Click);
    connect(CmdDel, &QPushButton::clicked, this, &FrmRecv::CmdDel_Click);

    const QSize design =
        twips::toPixels(RecvWindowDesign::Width - FrameWidth,
                        RecvWindowDesign::Height - FrameHeight, twips::screenOf(this));
    resize(design);
    setMinimumSize(design); // smaller, the buttons would stand on the boxes
    refresh();
}

void FrmRecv::setWeekday(const QString &weekday)
{
    panel2->setText(weekday);
}

void FrmRecv::applyIcons(const QIcon &normal, const QIcon &arrival)
{
    setPicture(Image1, normal);
    setPicture(Image2, arrival);
}

void FrmRecv::applyAppearance(const Appearance &appearance)
{
    appearance.applyTo({Text1, Text2});
}

void FrmRecv::setReadingFocus(bool onOpen)
{
    if (onOpen)
        CmdOPCL->setFocus();
    else
        Text2->setFocus();
}

void FrmRecv::clearReply()
{
    Text2->clear();
}

void FrmRecv::refresh()
{
    setWindowTitle(plainTitle(m_inbox.caption()));
    if (Text1->toPlainText() != m_inbox.bodyText())
        Text1->setPlainText(m_inbox.bodyText());
    Text1->setVisible(m_inbox.bodyVisible());
    CmdOPCL->setText(m_inbox.bodyVisible() ? QStringLiteral("CLOSE") : QStringLiteral("OPEN"));
    CmdNext->setEnabled(m_inbox.nextEnabled());
    CmdBack->setEnabled(m_inbox.backEnabled());
    CmdCback->setToolTip(m_inbox.replyTip());
    panel4->setText(m_inbox.countText());
    if (m_files) {
        // Only an opened message shows its files: the password gate stands
        // before them as before its text.
        const bool open = m_inbox.recvCount() > 0 && m_inbox.bodyVisible();
        m_files->show(open ? m_inbox.current().recvIp : QString(),
                      open ? m_inbox.current().recvRowNo : QString());
    }
}

void FrmRecv::offerFiles(ReceivedFiles &files)
{
    m_files = &files;
    pnlFiles = new FilesPanel(files, m_dialogs, this);
    pnlFiles->hide();
    QWidget::setTabOrder(Text1, pnlFiles);
    refresh();
}

void FrmRecv::refreshFiles()
{
    if (!pnlFiles)
        return;
    pnlFiles->refresh();
    const bool shown = pnlFiles->offers();
    if (shown == pnlFiles->isVisible())
        return;
    // The window grows by the list and gives it back, so the text keeps its room.
    const int extra = twips::toPixelsY(RecvWindowDesign::FilesHeight, twips::screenOf(this));
    const QSize design = twips::toPixels(RecvWindowDesign::Width - FrameWidth,
                                         RecvWindowDesign::Height - FrameHeight,
                                         twips::screenOf(this));
    pnlFiles->setVisible(shown);
    setMinimumSize(design.width(), design.height() + (shown ? extra : 0));
    resize(width(), std::max(design.height(), height() + (shown ? extra : -extra)));
    relayout();
}

void FrmRecv::CmdOPCL_Click()
{
    switch (m_receiver.open()) {
    case Receiver::Opening::AskPassword:
        emit passwordRequested();
        return;
    case Receiver::Opening::OpenedUntold:
        untold(false);
        break;
    case Receiver::Opening::Opened:
    case Receiver::Opening::Closed:
        break;
    }
    Text2->setFocus();
}

void FrmRecv::CmdInyo_Click()
{
    if (const auto quoted = m_receiver.quote(Text2->toPlainText()))
        Text2->setPlainText(*quoted);
    else
        warn(QStringLiteral("ﾒｯｾｰｼﾞを開いてから引用してください。"));
    Text2->moveCursor(QTextCursor::End);
    Text2->setFocus();
}

void FrmRecv::CmdCback_Click()
{
    switch (m_receiver.reply(Text2->toPlainText())) {
    case Receiver::Replied::Done:
        hide();
        break;
    case Receiver::Replied::Empty:
        warn(QStringLiteral("ﾒｯｾｰｼﾞを入力してください。"));
        break;
    case Receiver::Replied::TooLong:
        warn(refusalText(Posted::TooLong));
        break;
    case Receiver::Replied::NotSent:
        warn(refusalText(Posted::Refused));
        break;
    case Receiver::Replied::Refused:
    case Receiver::Replied::Stays:
        break;
    }
}

void FrmRecv::CmdCancel_Click()
{
    m_receiver.hold();
    hide();
}

void FrmRecv::CmdDel_Click()
{
    m_receiver.discard();
    hide();
}

void FrmRecv::closeEvent(QCloseEvent *event)
{
    // The title bar's close box is 閉じる; the window itself lives on.
    event->ignore();
    CmdDel_Click();
}

void FrmRecv::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    tick();
}

void FrmRecv::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    m_clockTimer->stop();
    // Put away by the program or the user (not minimised by the desktop).
    if (!event->spontaneous())
        m_receiver.seal();
}

void FrmRecv::warn(const QString &text)
{
    m_dialogs.messageBox({text, QStringLiteral("ぽるとな～"), Dialogs::Icon::Exclamation,
                          Dialogs::Buttons::Ok, Dialogs::Ok});
}

void FrmRecv::untold(bool told)
{
    if (!told)
        warn(QStringLiteral("開封確認を送信できませんでした。\r次に開いた時にもう一度送ります。"));
}

void FrmRecv::tick()
{
    const QDateTime now = m_clock.now();
    panel1->setText(now.date().toString(QStringLiteral("yyyy/MM/dd")));
    panel3->setText(now.time().toString(QStringLiteral("HH:mm")));
    m_clockTimer->start(60000 - now.time().second() * 1000 - now.time().msec());
}

void FrmRecv::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

bool FrmRecv::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != picSplitter)
        return QWidget::eventFilter(watched, event);
    const QScreen *screen = twips::screenOf(this);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        m_dragging = true;
        return true;
    case QEvent::MouseButtonRelease:
        m_dragging = false;
        return true;
    case QEvent::MouseMove: {
        if (m_dragging) {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            // Measured without the offered files, which stand above the bar.
            const double files =
                pnlFiles && pnlFiles->isVisible() ? RecvWindowDesign::FilesHeight : 0;
            const double p =
                twips::fromPixelsY(picSplitter->y() + int(mouse->position().y()), screen) - files;
            m_bodyHeight = dragRecvSplitter(p, twips::fromPixelsY(height(), screen) - files);
        }
        // Dragged or not, the boxes follow the bar.
        relayout();
        return true;
    }
    default:
        return false;
    }
}

void FrmRecv::relayout()
{
    const QScreen *screen = twips::screenOf(this);
    const double w = twips::fromPixelsX(width(), screen) + FrameWidth;
    const double h = twips::fromPixelsY(height(), screen) + FrameHeight;
    const bool files = pnlFiles && pnlFiles->isVisible();
    const RecvWindowLayout l =
        layoutRecvWindow(w, h, m_bodyHeight, files ? RecvWindowDesign::FilesHeight : 0);
    using D = RecvWindowDesign;
    const auto rect = [screen](const QRectF &r) { return twips::toPixels(r, screen); };
    const auto at = [&rect](const QPointF &p, double width, double height) {
        return rect(QRectF(p, QSizeF(width, height)));
    };
    Text1->setGeometry(rect(l.text1));
    if (files)
        pnlFiles->setGeometry(rect(l.files));
    Text2->setGeometry(rect(l.text2));
    picSplitter->setGeometry(rect(l.picSplitter));
    for (auto [button, p] : {std::pair{CmdOPCL, l.cmdOPCL},
                             {CmdCancel, l.cmdCancel},
                             {CmdDel, l.cmdDel},
                             {CmdCback, l.cmdCback}})
        button->setGeometry(at(p, D::WideButtonWidth, D::ButtonHeight));
    CmdBack->setGeometry(at(l.cmdBack, D::PageButtonWidth, D::ButtonHeight));
    CmdNext->setGeometry(at(l.cmdNext, D::PageButtonWidth, D::ButtonHeight));
    CmdInyo->setGeometry(at(l.cmdInyo, D::InyoWidth, D::InyoHeight));
    Image1->setGeometry(at(l.image1, D::ImageSize, D::ImageSize));
    Image2->setGeometry(at(l.image2, D::ImageSize, D::ImageSize));
    const int barHeight = StatusBar1->sizeHint().height();
    StatusBar1->setGeometry(0, height() - barHeight, width(), barHeight);
}
