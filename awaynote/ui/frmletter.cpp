#include "frmletter.h"

#include "appearance.h"
#include "awaynote.h"
#include "controls.h"
#include "dialogs.h"
#include "fieldtext.h"
#include "letterfile.h"
#include "twips.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStatusBar>
#include <QUrl>

namespace {

const QString ErrorTitle = QStringLiteral("ｴﾗｰ確認");

} // namespace

FrmLetter::FrmLetter(AwayNote &note, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window), m_note(note), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("FrmLetter"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("置き手紙作成"));

    TxtLetter = named(new QPlainTextEdit(this), "TxtLetter");
    TxtLetter->setTabChangesFocus(true);
    TxtLetter->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    TxtLetter->setPlainText(m_note.text());
    TxtLetter->viewport()->installEventFilter(this);
    CmdOK = named(new QPushButton(QStringLiteral("OK"), this), "CmdOK");
    CmdCancel = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "CmdCancel");
    pressedBy(CmdCancel, QKeySequence(Qt::Key_Escape));
    pressedBy(CmdOK, QKeySequence(QStringLiteral("Ctrl+Return")));
    CmdCancel->setToolTip(QStringLiteral("内容は消去されます。"));
    Image1 = named(new QLabel(this), "Image1");
    readAs(TxtLetter, QStringLiteral("置き手紙"));
    readAs(Image1, QStringLiteral("ぽるとな～"));
    StatusBar1 = statusBar(this, {{&panel1, 1}});

    connect(TxtLetter, &QPlainTextEdit::textChanged, this,
            [this] { m_note.setText(fieldtext::crlf(TxtLetter->toPlainText())); });
    connect(CmdOK, &QPushButton::clicked, this, &FrmLetter::CmdOK_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &QWidget::close);
    showNoteState();

    const QScreen *screen = twips::screenOf(this);
    const QSize design = twips::toPixels(DesignWidth, DesignHeight, screen);
    resize(design);
    // Smaller, the controls would overlap.
    setMinimumSize(design);
}

void FrmLetter::showNoteState()
{
    panel1->setText(m_note.state());
}

void FrmLetter::CmdOK_Click()
{
    switch (m_note.ok()) {
    case AwayNote::Ok::Destroyed:
        close();
        break;
    case AwayNote::Ok::Kept:
        hide();
        break;
    case AwayNote::Ok::Empty:
        m_dialogs.messageBox({QStringLiteral("内容を入力してください。"), ErrorTitle,
                              Dialogs::Icon::Exclamation, Dialogs::Buttons::Ok, Dialogs::Ok});
        break;
    }
}

void FrmLetter::applyIcon(const QIcon &normal)
{
    setWindowIcon(normal);
    setPicture(Image1, normal);
}

void FrmLetter::applyAppearance(const Appearance &appearance)
{
    appearance.applyTo({TxtLetter});
}

void FrmLetter::closeEvent(QCloseEvent *event)
{
    m_note.withdraw();
    QWidget::closeEvent(event);
}

void FrmLetter::dropped(const QMimeData *mime)
{
    const QList<QUrl> urls = mime ? mime->urls() : QList<QUrl>();
    bool anyFile = false;
    for (const QUrl &url : urls)
        anyFile = anyFile || url.isLocalFile();
    if (!anyFile) {
        m_dialogs.messageBox({QStringLiteral("対象外ﾌｧｲﾙ") + m_lastDropped, ErrorTitle,
                              Dialogs::Icon::None, Dialogs::Buttons::Ok, Dialogs::Ok});
        return;
    }
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            continue;
        m_lastDropped = url.toLocalFile();
        if (!letterfile::isLetterFile(m_lastDropped))
            continue;
        const auto text = letterfile::rdLetterFile(m_lastDropped);
        if (!text) {
            m_dialogs.messageBox({QStringLiteral("ﾌｧｲﾙ読込ｴﾗｰ:") + m_lastDropped, ErrorTitle,
                                  Dialogs::Icon::None, Dialogs::Buttons::Ok, Dialogs::Ok});
            continue;
        }
        TxtLetter->moveCursor(QTextCursor::End);
        TxtLetter->insertPlainText(*text);
    }
}

bool FrmLetter::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == TxtLetter->viewport()) {
        if (event->type() == QEvent::DragEnter || event->type() == QEvent::DragMove) {
            static_cast<QDropEvent *>(event)->acceptProposedAction();
            return true;
        }
        if (event->type() == QEvent::Drop) {
            auto *drop = static_cast<QDropEvent *>(event);
            drop->acceptProposedAction();
            dropped(drop->mimeData());
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void FrmLetter::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void FrmLetter::relayout()
{
    const QScreen *screen = twips::screenOf(this);
    // The rules count the outer size: the frame the design had around it.
    const double w = twips::fromPixelsX(width(), screen) + 120;
    const double h = twips::fromPixelsY(height(), screen) + 420;
    const auto px = [screen](double tw) { return twips::toPixelsX(std::max(0.0, tw), screen); };
    const auto py = [screen](double tw) { return twips::toPixelsY(std::max(0.0, tw), screen); };
    const QSize button = twips::toPixels(1215, 375, screen);
    TxtLetter->setGeometry(0, 0, px(w - 1500), py(h - 850));
    CmdOK->setGeometry(QRect(QPoint(px(w - 1380), py(h - 850 - 375 - 470)), button));
    CmdCancel->setGeometry(QRect(QPoint(px(w - 1380), py(h - 850 - 400)), button));
    const int image = twips::toPixelsX(480, screen);
    Image1->setGeometry(px(w - 880), py(60), image, image);
    const int barHeight = StatusBar1->sizeHint().height();
    StatusBar1->setGeometry(0, height() - barHeight, width(), barHeight);
}
