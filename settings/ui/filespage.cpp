#include "filespage.h"

#include "controls.h"
#include "dialogs.h"
#include "inioptions.h"

#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

FilesPage::FilesPage(Dialogs &dialogs, QWidget *parent) : OptionPage(parent), m_dialogs(dialogs)
{
    auto *lblFolder = named(new QLabel(QStringLiteral("受け取ったﾌｧｲﾙの保存先："), this), "LblFolder");
    TxtFolder = named(new QLineEdit(this), "TxtFolder");
    TxtFolder->setPlaceholderText(QStringLiteral("ﾀﾞｳﾝﾛｰﾄﾞﾌｫﾙﾀﾞｰの portana"));
    readAs(TxtFolder, QStringLiteral("受け取ったファイルの保存先"),
           QStringLiteral("空欄ならダウンロードフォルダーの portana に保存します"));
    CmdFolder = named(new QPushButton(QStringLiteral("参照(&R)..."), this), "CmdFolder");
    ChkAutoSave = check("ChkAutoSave", QStringLiteral("受け取ったファイルを自動で保存する"));
    ChkAutoSave->setToolTip(QStringLiteral("一覧にいる相手からで、パスワードで閉じていないときだけ"));
    auto *lblMaxSize = named(new QLabel(QStringLiteral("自動で保存するのは合わせて"), this), "LblMaxSize");
    TxtMaxSize = named(new QSpinBox(this), "TxtMaxSize");
    TxtMaxSize->setRange(1, 1024 * 1024);
    TxtMaxSize->setSuffix(QStringLiteral(" MB まで"));
    readAs(TxtMaxSize, QStringLiteral("自動で保存する大きさの上限"));
    auto *column = new QVBoxLayout(this);
    column->addWidget(lblFolder);
    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(TxtFolder, 1);
    folderRow->addWidget(CmdFolder);
    column->addLayout(folderRow);
    column->addSpacing(8);
    column->addWidget(ChkAutoSave);
    auto *sizeRow = new QHBoxLayout;
    sizeRow->addSpacing(20);
    sizeRow->addWidget(lblMaxSize);
    sizeRow->addWidget(TxtMaxSize);
    sizeRow->addStretch();
    column->addLayout(sizeRow);
    column->addStretch();
    connect(CmdFolder, &QPushButton::clicked, this, &FilesPage::CmdFolder_Click);
    connect(ChkAutoSave, &QCheckBox::toggled, this, &FilesPage::ChkAutoSave_Change);
}

void FilesPage::fill(const OptSettings &, const IniOptions &ini)
{
    TxtFolder->setText(QDir::toNativeSeparators(ini.filesFolder));
    ChkAutoSave->setChecked(ini.filesAutoSave);
    TxtMaxSize->setValue(ini.filesMaxSize);
    ChkAutoSave_Change();
}

void FilesPage::gather(OptSettings &, IniOptions &ini)
{
    ini.filesFolder = QDir::fromNativeSeparators(TxtFolder->text().trimmed());
    ini.filesAutoSave = ChkAutoSave->isChecked();
    ini.filesMaxSize = TxtMaxSize->value();
}

void FilesPage::CmdFolder_Click()
{
    const QString start = TxtFolder->text().trimmed();
    const QString chosen = m_dialogs.folderName(start.isEmpty() ? QDir::homePath() : start);
    if (!chosen.isEmpty())
        TxtFolder->setText(QDir::toNativeSeparators(chosen));
}

void FilesPage::ChkAutoSave_Change()
{
    TxtMaxSize->setEnabled(ChkAutoSave->isChecked());
}
