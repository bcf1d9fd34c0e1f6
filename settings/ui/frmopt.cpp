#include "frmopt.h"

#include "autostart.h"
#include "controls.h"
#include "dialogs.h"
#include "keepsettings.h"
#include "notifysettings.h"
#include "passwordgate.h"
#include "searchsettings.h"
#include "searchtargets.h"
#include "settingsstore.h"
#include "twips.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QVBoxLayout>
#include <utility>

namespace {

QCheckBox *check(QWidget *parent, const char *name, const QString &caption)
{
    return named(new QCheckBox(caption, parent), name);
}

QString trueFalse(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

FrmOpt::FrmOpt(SettingsStore &store, SearchSettings &search, NotifySettings &notify,
               KeepSettings &keep, Dialogs &dialogs, NameCheck nameUsable, Autostart &autostart,
               QWidget *parent)
    : QWidget(parent, Qt::Window), m_store(store), m_search(search), m_notify(notify), m_keep(keep),
      m_dialogs(dialogs), m_nameUsable(std::move(nameUsable)), m_autostart(autostart)
{
    setObjectName(QStringLiteral("FrmOpt"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("ｵﾌﾟｼｮﾝ指定"));

    TabStrip1 = named(new QTabBar(this), "TabStrip1");
    for (const QString &caption :
         {QStringLiteral("送受信 "), QStringLiteral("ﾊﾟｽﾜｰﾄﾞ"), QStringLiteral("表示"),
          QStringLiteral("ﾕｰｻﾞｰ情報"), QStringLiteral("その他 "), QStringLiteral("ﾈｯﾄﾜｰｸ")})
        TabStrip1->addTab(caption);
    const char *pageNames[] = {"Picture1", "Picture2", "Picture3",
                               "Picture4", "Picture5", "Picture6"};
    for (int i = 0; i < 6; ++i)
        pages[size_t(i)] = named(new QWidget(this), pageNames[i]);

    // 送受信: the dependent boxes stand inside their sentence's parentheses.
    QWidget *p = pages[SendRecv];
    ChkSend = check(p, "ChkSend", QStringLiteral("送信完了確認を行う。（"));
    ChkSndMin = check(p, "ChkSndMin", QStringLiteral("最小表示）"));
    ChkRecv = check(p, "ChkRecv", QStringLiteral("受信完了確認を行う。（"));
    ChkRcvMin = check(p, "ChkRcvMin", QStringLiteral("最小表示"));
    ChkTime = check(p, "ChkTime", QStringLiteral("10秒で自動消去）"));
    ChkOther = check(p, "ChkOther", QStringLiteral("お相手以外からのﾒｯｾｰｼﾞは受け付けない。"));
    ChkDsp = check(p, "ChkDsp", QStringLiteral("ﾒｯｾｰｼﾞ受信時は受信ﾎﾞﾀﾝを表示する。"));
    ChkBlink = check(p, "ChkBlink", QStringLiteral("ﾒｯｾｰｼﾞ受信時はﾀｽｸﾄﾚｲのｱｲｺﾝを点滅する。"));
    auto *grid = new QGridLayout(p);
    grid->addWidget(ChkSend, 0, 0);
    grid->addWidget(ChkSndMin, 0, 1);
    grid->addWidget(ChkRecv, 1, 0);
    grid->addWidget(ChkRcvMin, 1, 1);
    grid->addWidget(ChkTime, 1, 2);
    grid->addWidget(ChkOther, 2, 0, 1, 3);
    grid->addWidget(ChkDsp, 3, 0, 1, 3);
    grid->addWidget(ChkBlink, 4, 0, 1, 3);
    grid->setRowStretch(5, 1);

    // ﾊﾟｽﾜｰﾄﾞ
    p = pages[Password];
    ChkPw1 =
        check(p, "ChkPw1", QStringLiteral("受信ﾒｯｾｰｼﾞ開封時および履歴参照時、ﾊﾟｽﾜｰﾄﾞ入力を行う。"));
    TxtPw1 = named(new QLineEdit(p), "TxtPw1");
    TxtPw1->setEchoMode(QLineEdit::Password);
    TxtPw1->setReadOnly(true); // the password in force; nobody types here
    TxtPw1->setFocusPolicy(Qt::NoFocus);
    Label1 = named(new QLabel(QStringLiteral("現ﾊﾟｽﾜｰﾄﾞ："), p), "Label1");
    TxtPw2 = named(new QLineEdit(p), "TxtPw2");
    Label2 = named(new QLabel(QStringLiteral("新ﾊﾟｽﾜｰﾄﾞ："), p), "Label2");
    TxtPw3 = named(new QLineEdit(p), "TxtPw3");
    TxtPw3->setEchoMode(QLineEdit::Password);
    CmdPok = named(new QPushButton(QStringLiteral("OK"), p), "CmdPok");
    grid = new QGridLayout(p);
    grid->addWidget(ChkPw1, 0, 0, 1, 3);
    grid->addWidget(TxtPw1, 1, 1);
    grid->addWidget(Label1, 2, 0);
    grid->addWidget(TxtPw2, 2, 1);
    grid->addWidget(Label2, 3, 0);
    grid->addWidget(TxtPw3, 3, 1);
    grid->addWidget(CmdPok, 3, 2);
    grid->setRowStretch(4, 1);

    // 表示
    p = pages[Display];
    Frame3 = named(new QGroupBox(QStringLiteral("背景色"), p), "Frame3");
    TxtColor = named(new QLineEdit(Frame3), "TxtColor");
    TxtColor->setReadOnly(true);
    TxtColor->setFocusPolicy(Qt::NoFocus);
    CmdColor = named(new QPushButton(QStringLiteral("参照..."), Frame3), "CmdColor");
    auto *row = new QHBoxLayout(Frame3);
    row->addWidget(TxtColor);
    row->addWidget(CmdColor);
    Frame2 = named(new QGroupBox(QStringLiteral("ﾌｫﾝﾄ"), p), "Frame2");
    TxtFont = named(new QLineEdit(Frame2), "TxtFont");
    TxtSize = named(new QLineEdit(Frame2), "TxtSize");
    for (QLineEdit *shown : {TxtFont, TxtSize})
        shown->setReadOnly(true);
    TxtSize->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    CmdFont = named(new QPushButton(QStringLiteral("参照..."), Frame2), "CmdFont");
    row = new QHBoxLayout(Frame2);
    row->addWidget(TxtFont);
    row->addWidget(TxtSize);
    row->addWidget(CmdFont);
    Frame1 = named(new QGroupBox(QStringLiteral("ｳｨﾝﾄﾞｳの表示位置"), p), "Frame1");
    OptLeftup = named(new QRadioButton(QStringLiteral("左上"), Frame1), "OptLeftup");
    OptRightup = named(new QRadioButton(QStringLiteral("右上"), Frame1), "OptRightup");
    OptLeftlow = named(new QRadioButton(QStringLiteral("左下"), Frame1), "OptLeftlow");
    OptRightlow = named(new QRadioButton(QStringLiteral("右下"), Frame1), "OptRightlow");
    OptCenter = named(new QRadioButton(QStringLiteral("中央"), Frame1), "OptCenter");
    auto *positions = new QGridLayout(Frame1);
    positions->addWidget(OptLeftup, 0, 0);
    positions->addWidget(OptRightup, 0, 2);
    positions->addWidget(OptCenter, 1, 1);
    positions->addWidget(OptLeftlow, 2, 0);
    positions->addWidget(OptRightlow, 2, 2);
    grid = new QGridLayout(p);
    grid->addWidget(Frame3, 0, 0);
    grid->addWidget(Frame2, 1, 0);
    grid->addWidget(Frame1, 0, 1, 2, 1);

    // ﾕｰｻﾞｰ情報
    p = pages[UserInfo];
    Label4 =
        named(new QLabel(QStringLiteral("ﾕｰｻﾞｰ名を入力してください。（Max12文字）"), p), "Label4");
    TxtName = named(new QLineEdit(p), "TxtName");
    Label5 = named(new QLabel(QStringLiteral("ここで設定された名前が受信者側へ表示されます。"), p),
                   "Label5");
    Label6 =
        named(new QLabel(QStringLiteral("未入力の場合は、ﾛｸﾞｲﾝ名が表示されます。"), p), "Label6");
    auto *column = new QVBoxLayout(p);
    for (QWidget *w : {static_cast<QWidget *>(Label4), static_cast<QWidget *>(TxtName),
                       static_cast<QWidget *>(Label5), static_cast<QWidget *>(Label6)})
        column->addWidget(w);
    column->addStretch();

    // その他
    p = pages[Other];
    ChkIcon = check(p, "ChkIcon", QStringLiteral("起動時、ｱｲｺﾝをﾗﾝﾀﾞﾑに表示させる。"));
    Label3 = named(new QLabel(QStringLiteral("※次回起動時から有効です。"), p), "Label3");
    ChkStartup = check(p, "ChkStartup", QStringLiteral("ﾛｸﾞｲﾝ時に自動で起動する。"));
    ChkNotify = check(p, "ChkNotify", QStringLiteral("デスクトップ通知も表示する"));
    column = new QVBoxLayout(p);
    column->addWidget(ChkIcon);
    column->addWidget(Label3);
    column->addSpacing(twips::toPixelsY(180)); // the note above is the random icon's
    column->addWidget(ChkStartup);
    column->addWidget(ChkNotify);
    column->addSpacing(twips::toPixelsY(180));
    LblKeep = named(new QLabel(QStringLiteral("履歴の保存："), p), "LblKeep");
    CboKeep = named(new QComboBox(p), "CboKeep");
    CboKeep->addItems({QStringLiteral("すべて保存する"), QStringLiteral("最近の日数分だけ保存する"),
                       QStringLiteral("最近の件数分だけ保存する")});
    TxtKeep = named(new QSpinBox(p), "TxtKeep");
    TxtKeep->setRange(1, 99999999);
    connect(CboKeep, &QComboBox::currentIndexChanged, this, [this](int index) {
        TxtKeep->setEnabled(index != 0);
        TxtKeep->setSuffix(index == 2 ? QStringLiteral(" 件") : QStringLiteral(" 日"));
    });
    auto *keepRow = new QHBoxLayout;
    keepRow->addWidget(LblKeep);
    keepRow->addWidget(CboKeep);
    keepRow->addWidget(TxtKeep);
    keepRow->addStretch();
    column->addLayout(keepRow);
    column->addStretch();

    // ﾈｯﾄﾜｰｸ: where a search goes besides this copy's own networks.
    p = pages[Network];
    LblTargets = named(new QLabel(QStringLiteral("ほかのﾈｯﾄﾜｰｸの検索先（1行に1つ）：\n"
                                                 "ｱﾄﾞﾚｽ、ﾎｽﾄ名、範囲（192.168.12.0/24 など）"),
                                  p),
                       "LblTargets");
    TxtTargets = named(new QPlainTextEdit(p), "TxtTargets");
    TxtTargets->setLineWrapMode(QPlainTextEdit::NoWrap);
    LblTargetCheck = named(new QLabel(p), "LblTargetCheck");
    LblTargetCheck->setMinimumHeight(2 * LblTargetCheck->fontMetrics().lineSpacing());
    column = new QVBoxLayout(p);
    column->addWidget(LblTargets);
    column->addWidget(TxtTargets, 1);
    column->addWidget(LblTargetCheck);

    CmdOK = named(new QPushButton(QStringLiteral("OK"), this), "CmdOK");
    CmdCancel = named(new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this), "CmdCancel");
    CmdWrite = named(new QPushButton(QStringLiteral("更新(&A)"), this), "CmdWrite");

    auto *outer = new QVBoxLayout(this);
    outer->addWidget(TabStrip1);
    for (QWidget *page : pages)
        outer->addWidget(page, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(CmdOK);
    buttons->addWidget(CmdCancel);
    buttons->addWidget(CmdWrite);
    outer->addLayout(buttons);

    for (QLabel *label : findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);

    connect(TabStrip1, &QTabBar::currentChanged, this, &FrmOpt::showPage);
    // Each line is checked as it is typed.
    connect(TxtTargets, &QPlainTextEdit::textChanged, this,
            [this] { LblTargetCheck->setText(targetProblem()); });
    connect(ChkSend, &QCheckBox::clicked, this,
            [this] { ChkSndMin->setEnabled(ChkSend->checkState() == Qt::Checked); });
    connect(ChkRecv, &QCheckBox::clicked, this, [this] {
        const bool on = ChkRecv->checkState() == Qt::Checked;
        ChkRcvMin->setEnabled(on);
        ChkTime->setEnabled(on);
    });
    // Ticked by the user or put back by the code: the boxes follow.
    connect(ChkPw1, &QCheckBox::stateChanged, this, &FrmOpt::PwEnable);
    connect(CmdPok, &QPushButton::clicked, this, &FrmOpt::passwordAction);
    connect(CmdColor, &QPushButton::clicked, this, &FrmOpt::CmdColor_Click);
    connect(CmdFont, &QPushButton::clicked, this, &FrmOpt::CmdFont_Click);
    connect(ChkStartup, &QCheckBox::clicked, this, &FrmOpt::ChkStartup_Click);
    connect(CmdOK, &QPushButton::clicked, this, [this] {
        if (apply())
            close();
    });
    connect(CmdWrite, &QPushButton::clicked, this, &FrmOpt::apply);
    connect(CmdCancel, &QPushButton::clicked, this, &QWidget::close);

    fill();
    showPage(SendRecv);
}

void FrmOpt::fill()
{
    const OptSettings &s = m_store.settings();
    ChkSend->setChecked(s.sndConfirm);
    ChkSndMin->setChecked(s.sndConfirmMin);
    ChkRecv->setChecked(s.rcvConfirm);
    ChkRcvMin->setChecked(s.rcvConfirmMin);
    ChkTime->setChecked(s.autoErase);
    ChkOther->setChecked(s.otherReject);
    ChkDsp->setChecked(s.rcvButton);
    ChkSndMin->setEnabled(ChkSend->checkState() == Qt::Checked);
    ChkRcvMin->setEnabled(ChkRecv->checkState() == Qt::Checked);
    ChkTime->setEnabled(ChkRecv->checkState() == Qt::Checked);
    fillPassword();
    OptLeftup->setChecked(s.posLeftUp);
    OptRightup->setChecked(s.posRightUp);
    OptLeftlow->setChecked(s.posLeftLow);
    OptRightlow->setChecked(s.posRightLow);
    OptCenter->setChecked(s.posCenter);
    ChkIcon->setChecked(s.iconRandom);
    TxtName->setText(s.optName);
    ChkBlink->setChecked(s.blinkIcon);
    ChkStartup->setChecked(m_autostart.isEnabled());
    ChkNotify->setChecked(m_notify.withTray());
    const KeepSettings::Rule keep = m_keep.rule();
    CboKeep->setCurrentIndex(int(keep.keep));
    TxtKeep->setValue(keep.keep == KeepSettings::Keep::Days   ? keep.count
                      : keep.keep == KeepSettings::Keep::Rows ? keep.count
                                                              : 30);
    TxtKeep->setEnabled(keep.keep != KeepSettings::Keep::All);
    TxtKeep->setSuffix(keep.keep == KeepSettings::Keep::Rows ? QStringLiteral(" 件")
                                                             : QStringLiteral(" 日"));
    TxtTargets->setPlainText(m_search.targets().join(u'\n'));
    m_draft = s;
    fillDisplay();
}

void FrmOpt::fillPassword()
{
    const OptSettings &s = m_store.settings();
    TxtPw1->setText(s.pwStored);
    TxtPw2->setText(s.pwCurrent);
    TxtPw3->setText(s.pwNew);
    ChkPw1->setChecked(s.pwCheck);
    PwEnable(); // also when the tick stayed and the password changed
}

void FrmOpt::fillDisplay()
{
    const OptSettings &s = m_draft;
    TxtFont->setText(s.fontName);
    TxtSize->setText(s.fontSize);
    const quint32 bgr = s.backColor.toUInt();
    TxtColor->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3)")
                                .arg(bgr & 0xFF)
                                .arg(bgr >> 8 & 0xFF)
                                .arg(bgr >> 16 & 0xFF));
}

void FrmOpt::showPage(int page)
{
    if (m_page == Password && page != Password)
        fillPassword(); // what was typed and not applied is dropped
    m_page = page;
    for (int i = 0; i < int(pages.size()); ++i)
        pages[size_t(i)]->setVisible(i == page);
    if (TabStrip1->currentIndex() != page)
        TabStrip1->setCurrentIndex(page);
    if (page == Display)
        fillDisplay();
    if (page == UserInfo)
        TxtName->setFocus();
}

void FrmOpt::PwEnable()
{
    const auto e =
        passwordpage::pwEnable(ChkPw1->checkState() == Qt::Checked, !TxtPw1->text().isEmpty());
    if (e.clearCurrent)
        TxtPw2->clear();
    if (e.currentEnabled)
        TxtPw2->setEnabled(*e.currentEnabled);
    TxtPw3->setEnabled(e.newEnabled);
}

OptSettings FrmOpt::optGather()
{
    if (ChkPw1->checkState() == Qt::Checked && TxtPw1->text().isEmpty()) {
        ChkPw1->setCheckState(Qt::Unchecked);
        PwEnable();
    }
    // Over the settings in force: what other windows changed meanwhile
    // (the icon set, the manual address) stays.
    OptSettings s = m_store.settings();
    s.sndConfirm = ChkSend->isChecked();
    s.sndConfirmMin = ChkSndMin->isChecked();
    s.rcvConfirm = ChkRecv->isChecked();
    s.rcvConfirmMin = ChkRcvMin->isChecked();
    s.otherReject = ChkOther->isChecked();
    s.rcvButton = ChkDsp->isChecked();
    s.pwCheck = ChkPw1->isChecked();
    s.iconRandom = ChkIcon->isChecked();
    s.autoErase = ChkTime->isChecked();
    s.blinkIcon = ChkBlink->isChecked();
    s.pwStored = TxtPw1->text();
    s.pwCurrent = TxtPw2->text();
    s.pwNew = TxtPw3->text();
    s.posLeftUp = OptLeftup->isChecked();
    s.posLeftLow = OptLeftlow->isChecked();
    s.posRightUp = OptRightup->isChecked();
    s.posRightLow = OptRightlow->isChecked();
    s.posCenter = OptCenter->isChecked();
    s.backColor = m_draft.backColor;
    s.fontName = m_draft.fontName;
    s.fontSize = m_draft.fontSize;
    s.fontItalic = m_draft.fontItalic;
    s.fontBold = m_draft.fontBold;
    s.fontUnderline = m_draft.fontUnderline;
    s.fontStrikethru = m_draft.fontStrikethru;
    // A name refused where it was typed (OK, 更新) keeps the one in force
    // when the password page saves the rest.
    if (m_nameUsable(TxtName->text()))
        s.setOptName(TxtName->text());
    return s;
}

void FrmOpt::passwordAction()
{
    const auto o = passwordpage::apply(ChkPw1->isChecked() ? 1 : 0, TxtPw1->text(), TxtPw2->text(),
                                       TxtPw3->text());
    if (o.box)
        m_dialogs.messageBox(*o.box);
    TxtPw1->setText(o.stored);
    TxtPw2->setText(o.current);
    TxtPw3->setText(o.fresh);
    if (o.disableBoth) {
        TxtPw2->setEnabled(false);
        TxtPw3->setEnabled(false);
    }
    if (o.enableCurrent)
        TxtPw2->setEnabled(true);
    if (o.focus == passwordpage::Focus::Current)
        TxtPw2->setFocus();
    else if (o.focus == passwordpage::Focus::New)
        TxtPw3->setFocus();
    if (o.save) {
        m_store.commit(optGather());
    }
}

bool FrmOpt::apply()
{
    if (m_page == Password) {
        passwordAction();
        return true;
    }
    if (!m_nameUsable(TxtName->text())) {
        m_dialogs.messageBox({QStringLiteral("「") + TxtName->text().trimmed() +
                                  QStringLiteral("」は通知の言葉と同じため、名前に使えません。"),
                              QStringLiteral("ｴﾗｰ確認"), Dialogs::Icon::Critical,
                              Dialogs::Buttons::Ok, Dialogs::Ok});
        showPage(UserInfo);
        return false;
    }
    if (const QString problem = targetProblem(); !problem.isEmpty()) {
        m_dialogs.messageBox({QString(problem).replace(u'\n', u'\r'), QStringLiteral("ｴﾗｰ確認"),
                              Dialogs::Icon::Critical, Dialogs::Buttons::Ok, Dialogs::Ok});
        showPage(Network);
        return false;
    }
    QStringList targets;
    for (const QString &line : TxtTargets->toPlainText().split(u'\n'))
        if (!line.trimmed().isEmpty())
            targets << line.trimmed();
    if (!m_search.setTargets(targets))
        m_dialogs.messageBox({QStringLiteral("検索先を保存できませんでした。"),
                              QStringLiteral("ｴﾗｰ確認"), Dialogs::Icon::Critical,
                              Dialogs::Buttons::Ok, Dialogs::Ok});
    if (!m_notify.setWithTray(ChkNotify->isChecked()))
        m_dialogs.messageBox({QStringLiteral("通知の設定を保存できませんでした。"),
                              QStringLiteral("ｴﾗｰ確認"), Dialogs::Icon::Critical,
                              Dialogs::Buttons::Ok, Dialogs::Ok});
    const auto keep = KeepSettings::Keep(CboKeep->currentIndex());
    if (!m_keep.setRule({keep, keep == KeepSettings::Keep::All ? 0 : TxtKeep->value()}))
        m_dialogs.messageBox({QStringLiteral("履歴の保存の設定を保存できませんでした。"),
                              QStringLiteral("ｴﾗｰ確認"), Dialogs::Icon::Critical,
                              Dialogs::Buttons::Ok, Dialogs::Ok});
    // What was gathered is in force now, saved or not; a failed save has
    // been reported and the dialog stays.
    const bool saved = m_store.commit(optGather());
    if (std::exchange(m_previewing, false))
        emit appearanceRestored();
    return saved;
}

QString FrmOpt::targetProblem() const
{
    const QStringList lines = TxtTargets->toPlainText().split(u'\n');
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i].trimmed().isEmpty())
            continue;
        const auto parsed = searchtargets::parse(lines[i]);
        if (const auto *why = std::get_if<QString>(&parsed))
            return QStringLiteral("%1行目「%2」：\n").arg(i + 1).arg(lines[i].trimmed()) + *why;
    }
    return searchtargets::listProblem(lines);
}

void FrmOpt::ChkStartup_Click()
{
    // Written or removed at once: it is no setting to save.
    const QString failed = m_autostart.setEnabled(ChkStartup->isChecked());
    if (failed.isEmpty())
        return;
    ChkStartup->setChecked(m_autostart.isEnabled());
    m_dialogs.messageBox({QStringLiteral("ﾛｸﾞｲﾝ時の起動を設定できませんでした。\r") + failed,
                          QStringLiteral("ｴﾗｰ確認"), Dialogs::Icon::Critical, Dialogs::Buttons::Ok,
                          Dialogs::Ok});
}

void FrmOpt::CmdColor_Click()
{
    OptSettings &s = m_draft;
    const auto chosen = m_dialogs.chooseColor(s.backColor.toUInt());
    if (!chosen)
        return;
    s.backColor = QString::number(*chosen);
    fillDisplay();
    m_previewing = true;
    emit appearancePreviewed(m_draft);
}

void FrmOpt::closeEvent(QCloseEvent *event)
{
    // Not applied: the windows go back to what is in force.
    if (std::exchange(m_previewing, false))
        emit appearanceRestored();
    QWidget::closeEvent(event);
}

void FrmOpt::CmdFont_Click()
{
    OptSettings &s = m_draft;
    const Dialogs::Font current{
        s.fontName,         s.fontSize.toDouble(),   isTrue(s.fontItalic),
        isTrue(s.fontBold), isTrue(s.fontUnderline), isTrue(s.fontStrikethru)};
    const Dialogs::Font f = m_dialogs.chooseFont(current).value_or(current);
    s.fontName = f.family;
    s.fontSize = QString::number(f.pointSize);
    s.fontItalic = trueFalse(f.italic);
    s.fontBold = trueFalse(f.bold);
    s.fontUnderline = trueFalse(f.underline);
    s.fontStrikethru = trueFalse(f.strikeOut);
    fillDisplay();
    m_previewing = true;
    emit appearancePreviewed(m_draft);
}
