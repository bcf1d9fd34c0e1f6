#include "filespanel.h"

#include "controls.h"
#include "dialogs.h"
#include "plaintitle.h"
#include "receivedfiles.h"

#include <QGridLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>

FilesPanel::FilesPanel(ReceivedFiles &files, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_files(files), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("pnlFiles"));
    LstFiles = named(new QListWidget(this), "LstFiles");
    LstFiles->setSelectionMode(QAbstractItemView::NoSelection);
    CmdSave = named(new QPushButton(QStringLiteral("保存(&V)"), this), "CmdSave");
    CmdSaveAs = named(new QPushButton(QStringLiteral("名前を付けて保存(&A)..."), this), "CmdSaveAs");
    CmdAbort = named(new QPushButton(QStringLiteral("中止(&T)"), this), "CmdAbort");
    PrgFiles = named(new QProgressBar(this), "PrgFiles");
    PrgFiles->setRange(0, 100);
    LblFiles = named(new QLabel(this), "LblFiles");
    LblFiles->setTextFormat(Qt::PlainText); // a problem may quote a peer's name
    readAs(LstFiles, QStringLiteral("添付ファイル"));
    readAs(CmdSave, QStringLiteral("保存"), QStringLiteral("ダウンロードフォルダーに保存します"));
    readAs(CmdSaveAs, QStringLiteral("名前を付けて保存"),
           QStringLiteral("保存するフォルダーを選びます"));
    readAs(PrgFiles, QStringLiteral("受信の進み具合"));
    auto *grid = new QGridLayout(this);
    grid->setContentsMargins(0, 2, 0, 0);
    grid->setSpacing(2);
    grid->addWidget(LstFiles, 0, 0, 1, 3);
    // 中止 in the place of the two while they come.
    grid->addWidget(CmdSave, 1, 0);
    grid->addWidget(CmdSaveAs, 1, 1);
    grid->addWidget(CmdAbort, 1, 0);
    // The progress while they come, what became of them after.
    grid->addWidget(PrgFiles, 2, 0, 1, 3);
    grid->addWidget(LblFiles, 2, 0, 1, 3);
    grid->setColumnStretch(2, 1);
    readingOrder({LstFiles, CmdSave, CmdSaveAs, CmdAbort});
    connect(CmdSave, &QPushButton::clicked, this, [this] { m_files.save(); });
    connect(CmdSaveAs, &QPushButton::clicked, this, &FilesPanel::CmdSaveAs_Click);
    connect(CmdAbort, &QPushButton::clicked, this, [this] { m_files.cancel(); });
    refresh();
}

bool FilesPanel::offers() const
{
    return m_files.state() != ReceivedFiles::State::None;
}

void FilesPanel::refresh()
{
    using S = ReceivedFiles::State;
    const S state = m_files.state();
    const QStringList rows = m_files.rows();
    if (LstFiles->count() != rows.size() ||
        (LstFiles->count() && LstFiles->item(0)->text() != rows.value(0))) {
        LstFiles->clear();
        LstFiles->addItems(rows);
    }
    const bool saving = state == S::Saving;
    CmdSave->setEnabled(state == S::Offered || state == S::Failed);
    CmdSaveAs->setEnabled(CmdSave->isEnabled());
    CmdSave->setVisible(!saving);
    CmdSaveAs->setVisible(!saving);
    CmdAbort->setVisible(saving);
    PrgFiles->setValue(m_files.percent());
    const QString rate = m_files.rateText();
    PrgFiles->setFormat(rate.isEmpty() ? QStringLiteral("%p%") : QStringLiteral("%p% ") + rate);
    PrgFiles->setAccessibleDescription(PrgFiles->text());
    PrgFiles->setVisible(saving);
    // A long folder is cut at its start; the whole of it in the tip.
    const QString status = m_files.statusText();
    LblFiles->setText(LblFiles->fontMetrics().elidedText(status, Qt::ElideMiddle,
                                                         std::max(LblFiles->width(), 200)));
    LblFiles->setToolTip(plainTip(status));
    LblFiles->setAccessibleName(status);
    LblFiles->setVisible(!saving);
}

void FilesPanel::CmdSaveAs_Click()
{
    const QString folder = m_dialogs.folderName(m_files.defaultFolder());
    if (!folder.isEmpty())
        m_files.save(folder);
}
