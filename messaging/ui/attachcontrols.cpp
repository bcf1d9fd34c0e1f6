#include "attachcontrols.h"

#include "attachments.h"
#include "controls.h"
#include "dialogs.h"
#include "plaintitle.h"

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDateTime>
#include <QDir>
#include <QDropEvent>
#include <QImage>
#include <QKeyEvent>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>

namespace {

// The local files a drop or the clipboard carries; none for anything else.
QStringList localFiles(const QMimeData *mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    return paths;
}

} // namespace

AttachControls::AttachControls(Attachments &attachments, Dialogs &dialogs, QWidget &window,
                               QPlainTextEdit &message)
    : QObject(&window), m_attachments(attachments), m_dialogs(dialogs), m_message(message)
{
    CmdAttach = named(new QPushButton(QStringLiteral("添付"), &window), "CmdAttach");
    pressedBy(CmdAttach, QKeySequence(QStringLiteral("Alt+F")));
    readAs(CmdAttach, QStringLiteral("添付"), QStringLiteral("ファイルを選んでメッセージに添えます"));
    LstAttach = named(new QListWidget(&window), "LstAttach");
    readAs(LstAttach, QStringLiteral("添付ファイル"), QStringLiteral("Delete キーで外します"));
    LstAttach->setToolTip(QStringLiteral("Delete キーで外します"));
    LstAttach->setFlow(QListView::LeftToRight);
    LstAttach->setWrapping(true);
    LstAttach->hide();
    LstAttach->installEventFilter(this);
    window.setAcceptDrops(true);
    window.installEventFilter(this);
    // The box takes drops of text itself: files are caught before it.
    m_message.viewport()->installEventFilter(this);
    m_message.installEventFilter(this);
    connect(CmdAttach, &QPushButton::clicked, this, &AttachControls::CmdAttach_Click);
    connect(&m_attachments, &Attachments::changed, this, &AttachControls::refresh);
    refresh();
}

void AttachControls::CmdAttach_Click()
{
    const QStringList chosen = m_dialogs.openFileNames(QDir::homePath());
    QString problem;
    m_attachments.add(chosen, &problem);
    tell(problem);
}

void AttachControls::refresh()
{
    const bool wasShown = !LstAttach->isHidden();
    LstAttach->clear();
    LstAttach->addItems(m_attachments.names());
    for (int i = 0; i < LstAttach->count(); ++i)
        LstAttach->item(i)->setToolTip(plainTip(QDir::toNativeSeparators(m_attachments.paths()[i])));
    LstAttach->setVisible(LstAttach->count() > 0);
    if (wasShown != !LstAttach->isHidden())
        emit shownChanged();
}

bool AttachControls::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (watched != LstAttach)
            return dropped(event);
        break;
    case QEvent::KeyPress: {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (watched == LstAttach && key->key() == Qt::Key_Delete) {
            m_attachments.remove(LstAttach->currentRow());
            return true;
        }
        if (watched == &m_message && key->matches(QKeySequence::Paste))
            return pasted();
        break;
    }
    default:
        break;
    }
    return false;
}

bool AttachControls::dropped(QEvent *event)
{
    auto *drop = static_cast<QDropEvent *>(event);
    const QStringList paths = localFiles(drop->mimeData());
    if (paths.isEmpty())
        return false; // text: the box takes it as it always did
    drop->acceptProposedAction();
    if (event->type() == QEvent::Drop) {
        QString problem;
        m_attachments.add(paths, &problem);
        tell(problem);
    }
    return true;
}

bool AttachControls::pasted()
{
    const QMimeData *mime = QApplication::clipboard()->mimeData();
    if (const QStringList paths = localFiles(mime); !paths.isEmpty()) {
        QString problem;
        m_attachments.add(paths, &problem);
        tell(problem);
        return true;
    }
    if (!mime || !mime->hasImage() || mime->hasText())
        return false; // text goes into the box
    const QImage image = qvariant_cast<QImage>(mime->imageData());
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return false;
    QString problem;
    if (!m_attachments.addPicture(png, QDateTime::currentDateTime(), &problem))
        tell(problem);
    return true;
}

void AttachControls::tell(const QString &problem)
{
    if (!problem.isEmpty())
        m_dialogs.messageBox({problem, QStringLiteral("ぽるとな～"), Dialogs::Icon::Exclamation,
                              Dialogs::Buttons::Ok, Dialogs::Ok});
}
