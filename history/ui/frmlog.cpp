#include "frmlog.h"

#include "controls.h"
#include "historybrowser.h"
#include "historymodel.h"
#include "historyview.h"
#include "twips.h"

#include <QCloseEvent>
#include <QDateEdit>
#include <QDateTime>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>

namespace {

// The earliest date stands for "no limit".
const QDate NoDate(2000, 1, 1);

QDateEdit *dateEdit(QWidget *parent, const char *name)
{
    auto *edit = named(new QDateEdit(parent), name);
    edit->setCalendarPopup(true);
    edit->setDisplayFormat(QStringLiteral("yyyy/MM/dd"));
    edit->setMinimumDate(NoDate);
    edit->setSpecialValueText(QStringLiteral("指定なし"));
    edit->setDate(NoDate);
    return edit;
}

QDate limit(const QDateEdit *edit)
{
    return edit->date() == NoDate ? QDate() : edit->date();
}

QAction *item(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

} // namespace

FrmLog::FrmLog(HistoryModel &history, HistoryBrowser &browser, QWidget *parent)
    : QWidget(parent), m_browser(browser), m_history(history), m_pause(new QTimer(this))
{
    setObjectName(QStringLiteral("FrmLog"));
    setWindowTitle(QStringLiteral("送受信履歴"));

    menuBar = named(new QMenuBar(this), "menuBar");
    mnuFile = named(menuBar->addMenu(QStringLiteral("ﾌｧｲﾙ(&F)")), "mnuFile");
    mnuRead = item(mnuFile, "mnuRead", QStringLiteral("読込(&R)"));
    mnuAdd = item(mnuFile, "mnuAdd", QStringLiteral("追加読込(&A)"));
    mnuBar1 = mnuFile->addSeparator();
    mnuBar1->setObjectName(QStringLiteral("mnuBar1"));
    mnuWrite = item(mnuFile, "mnuWrite", QStringLiteral("保存(&W)"));

    Picture1 = named(new QFrame(this), "Picture1");
    TxtFind = named(new QLineEdit(Picture1), "TxtFind");
    TxtFind->setPlaceholderText(QStringLiteral("検索 (Ctrl+F)"));
    TxtFind->setClearButtonEnabled(true);
    DtpFrom = dateEdit(Picture1, "DtpFrom");
    LblRange = named(new QLabel(QStringLiteral("～"), Picture1), "LblRange");
    LblRange->setAlignment(Qt::AlignCenter);
    DtpTo = dateEdit(Picture1, "DtpTo");
    LvLog = named(new HistoryView(Picture1), "LvLog");
    showModel();

    PicLog = named(new QFrame(this), "PicLog");
    LblFrom = named(new QLabel(PicLog), "LblFrom");
    LblTo = named(new QLabel(PicLog), "LblTo");
    LblDate = named(new QLabel(PicLog), "LblDate");
    LblSt = named(new QLabel(PicLog), "LblSt");
    LblRt = named(new QLabel(PicLog), "LblRt");
    for (QLabel *label : {LblFrom, LblTo, LblDate, LblSt, LblRt})
        label->setTextFormat(Qt::PlainText);
    TxtLog = named(new QPlainTextEdit(PicLog), "TxtLog");
    TxtLog->setReadOnly(true);
    TxtLog->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    PicLog->hide();

    CmdBack = named(new QPushButton(this), "CmdBack");
    CmdBack->setIcon(style()->standardIcon(QStyle::SP_ArrowLeft));
    CmdNext = named(new QPushButton(this), "CmdNext");
    CmdNext->setIcon(style()->standardIcon(QStyle::SP_ArrowRight));
    CmdOK = named(new QPushButton(QStringLiteral("OK"), this), "CmdOK");
    CmdClear = named(new QPushButton(QStringLiteral("履歴ｸﾘｱ"), this), "CmdClear");
    pressedBy(CmdBack, QKeySequence(QStringLiteral("Alt+Left")));
    pressedBy(CmdNext, QKeySequence(QStringLiteral("Alt+Right")));
    pressedBy(CmdClear, QKeySequence(QStringLiteral("Alt+C")));
    Image1 = named(new QLabel(this), "Image1");
    readAs(TxtFind, QStringLiteral("検索"),
           QStringLiteral("送信者、受信者、メッセージから探します"));
    readAs(DtpFrom, QStringLiteral("検索する期間の最初の日"));
    readAs(DtpTo, QStringLiteral("検索する期間の最後の日"));
    readAs(LvLog, QStringLiteral("送受信履歴"));
    readAs(TxtLog, QStringLiteral("メッセージ"));
    readAs(CmdBack, QStringLiteral("前の履歴"));
    readAs(CmdNext, QStringLiteral("次の履歴"));
    readAs(Image1, QStringLiteral("ぽるとな～"));

    StatusBar1 = statusBar(this, {{&panel1, 2}, {&panel2, 1}, {&panel3, 3}});

    connectControls();

    const int menuHeight = menuBar->sizeHint().height();
    const QScreen *screen = twips::screenOf(this);
    resize(twips::toPixelsX(DesignWidth, screen),
           twips::toPixelsY(DesignHeight, screen) + menuHeight);
    refresh();
}

void FrmLog::connectControls()
{
    // The list follows the typing once it pauses: a search per keystroke
    // would start over for every character of a word.
    m_pause->setSingleShot(true);
    m_pause->setInterval(250);
    connect(m_pause, &QTimer::timeout, this, &FrmLog::find);
    connect(TxtFind, &QLineEdit::textChanged, m_pause, qOverload<>(&QTimer::start));
    connect(DtpFrom, &QDateEdit::dateChanged, m_pause, qOverload<>(&QTimer::start));
    connect(DtpTo, &QDateEdit::dateChanged, m_pause, qOverload<>(&QTimer::start));
    auto *findKey = new QShortcut(QKeySequence::Find, this);
    connect(findKey, &QShortcut::activated, this, [this] {
        if (m_browser.detailOpen())
            return;
        TxtFind->setFocus(Qt::ShortcutFocusReason);
        TxtFind->selectAll();
    });

    connect(LvLog, &HistoryView::clicked, this,
            [this](const QModelIndex &index) { m_browser.openRow(index.row() + 1); });
    connect(LvLog, &HistoryView::activated, this,
            [this](const QModelIndex &index) { m_browser.openRow(index.row() + 1); });
    connect(CmdNext, &QPushButton::clicked, &m_browser, &HistoryBrowser::next);
    connect(CmdBack, &QPushButton::clicked, &m_browser, &HistoryBrowser::back);
    connect(CmdOK, &QPushButton::clicked, this, [this] {
        if (m_browser.ok())
            hide();
    });
    connect(CmdClear, &QPushButton::clicked, &m_browser, &HistoryBrowser::clear);
    connect(mnuWrite, &QAction::triggered, &m_browser, &HistoryBrowser::save);
    connect(mnuRead, &QAction::triggered, this, [this] { m_browser.load(false); });
    connect(mnuAdd, &QAction::triggered, this, [this] { m_browser.load(true); });
}

void FrmLog::find()
{
    m_browser.find(TxtFind->text(), limit(DtpFrom), limit(DtpTo));
}

void FrmLog::clearSearch()
{
    for (QObject *o : std::initializer_list<QObject *>{TxtFind, DtpFrom, DtpTo})
        o->blockSignals(true);
    TxtFind->clear();
    DtpFrom->setDate(NoDate);
    DtpTo->setDate(NoDate);
    for (QObject *o : std::initializer_list<QObject *>{TxtFind, DtpFrom, DtpTo})
        o->blockSignals(false);
    m_pause->stop();
    find();
}

void FrmLog::keyPressEvent(QKeyEvent *event)
{
    // Esc shows the whole list again.
    if (event->key() == Qt::Key_Escape && !m_browser.detailOpen() &&
        (m_browser.search().active() || !TxtFind->text().isEmpty())) {
        clearSearch();
        LvLog->setFocus();
        return;
    }
    QWidget::keyPressEvent(event);
}

void FrmLog::showModel()
{
    QAbstractItemModel *model = m_browser.search().active()
                                    ? static_cast<QAbstractItemModel *>(&m_browser.search())
                                    : &m_history;
    if (LvLog->model() == model)
        return;
    LvLog->setModel(model);
    const QScreen *screen = twips::screenOf(this);
    for (int c = 0; c < HistoryModel::ColumnCount; ++c)
        LvLog->setColumnWidth(c, twips::toPixelsX(HistoryModel::ColumnWidths[c], screen));
}

void FrmLog::refresh()
{
    showModel();
    const bool detail = m_browser.detailOpen();
    PicLog->setVisible(detail);
    Picture1->setVisible(!detail);
    CmdNext->setVisible(detail);
    CmdBack->setVisible(detail);
    CmdClear->setEnabled(!detail);
    // One file loads at a time.
    mnuRead->setEnabled(!m_browser.loading());
    mnuAdd->setEnabled(!m_browser.loading());
    CmdNext->setEnabled(m_browser.nextEnabled());
    CmdBack->setEnabled(m_browser.backEnabled());
    panel3->setText(m_browser.statusText());
    if (!detail)
        return;
    LblFrom->setText(m_browser.fromText());
    LblTo->setText(m_browser.toText());
    LblDate->setText(m_browser.dateText());
    LblSt->setText(m_browser.sendTimeText());
    LblRt->setText(m_browser.receiveTimeText());
    TxtLog->setPlainText(m_browser.messageText());
    placeLabels();
}

void FrmLog::placeLabels()
{
    // Each label after its left neighbour; LblFrom keeps its width.
    const QScreen *screen = twips::screenOf(this);
    const auto x = [screen](double tw) { return twips::toPixelsX(tw, screen); };
    const auto y = [screen](double tw) { return twips::toPixelsY(tw, screen); };
    for (QLabel *label : {LblTo, LblDate, LblSt, LblRt})
        label->adjustSize();
    const int h = LblDate->sizeHint().height();
    LblFrom->setGeometry(x(50), y(100), x(2040), h);
    LblTo->move(LblFrom->geometry().right() + 1 + x(200), y(100));
    LblDate->move(x(50), y(300));
    LblSt->move(LblDate->geometry().right() + 1 + x(100), y(300));
    LblRt->move(LblSt->geometry().right() + 1 + x(100), y(300));
}

void FrmLog::applyIcon(const QIcon &normal)
{
    setWindowIcon(normal);
    setPicture(Image1, normal);
}

void FrmLog::stamp(const QDateTime &when)
{
    // As the received-message window shows them, whatever the locale.
    panel1->setText(when.date().toString(QStringLiteral("yyyy/MM/dd")));
    panel2->setText(when.time().toString(QStringLiteral("HH:mm")));
}

void FrmLog::closeEvent(QCloseEvent *event)
{
    // Hidden, never destroyed: the window keeps its view for the next showing.
    event->ignore();
    hide();
}

void FrmLog::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void FrmLog::relayout()
{
    const QScreen *screen = twips::screenOf(this);
    const int top = menuBar->sizeHint().height();
    menuBar->setGeometry(0, 0, width(), top);
    const double sw = twips::fromPixelsX(width(), screen);
    const double sh = twips::fromPixelsY(height() - top, screen);
    const auto x = [screen](double tw) { return twips::toPixelsX(std::max(0.0, tw), screen); };
    const auto y = [screen, top](double tw) { return top + twips::toPixelsY(tw, screen); };
    const auto len = [screen](double tw) { return twips::toPixelsY(std::max(0.0, tw), screen); };
    const QRect pane(0, top, x(sw - 1400), len(sh - 440));
    Picture1->setGeometry(pane);
    // The search above the list: the box takes what the dates leave.
    const int strip = TxtFind->sizeHint().height();
    const int dateWidth = DtpFrom->sizeHint().width();
    const int range = LblRange->sizeHint().width() + 8;
    const int box = std::max(0, pane.width() - 2 * dateWidth - range - 4);
    TxtFind->setGeometry(0, 0, box, strip);
    DtpFrom->setGeometry(box + 4, 0, dateWidth, strip);
    LblRange->setGeometry(box + 4 + dateWidth, 0, range, strip);
    DtpTo->setGeometry(box + 4 + dateWidth + range, 0, dateWidth, strip);
    LvLog->setGeometry(0, strip + 2, pane.width(), std::max(0, pane.height() - strip - 2));
    PicLog->setGeometry(pane);
    TxtLog->setGeometry(0, len(500), pane.width(), std::max(0, pane.height() - len(500)));
    const QSize button = twips::toPixels(1095, 375, screen);
    CmdOK->setGeometry(QRect(QPoint(x(sw - 1200), y(sh - 810)), button));
    CmdClear->setGeometry(QRect(QPoint(x(sw - 1200), y(sh - 1310)), button));
    const QSize page = twips::toPixels(495, 375, screen);
    CmdNext->setGeometry(QRect(QPoint(x(sw - 600), y(100)), page));
    CmdBack->setGeometry(QRect(QPoint(x(sw - 1200), y(100)), page));
    const int image = twips::toPixelsX(480, screen);
    Image1->setGeometry(x(sw - 890), y(sh - 1990), image, image);
    const int barHeight = StatusBar1->sizeHint().height();
    StatusBar1->setGeometry(0, height() - barHeight, width(), barHeight);
}
