#include "displaypage.h"

#include "controls.h"
#include "dialogs.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

namespace {

QString trueFalse(bool on)
{
    return on ? QStringLiteral("True") : QStringLiteral("False");
}

} // namespace

DisplayPage::DisplayPage(Dialogs &dialogs, QWidget *parent) : OptionPage(parent), m_dialogs(dialogs)
{
    Frame3 = named(new QGroupBox(QStringLiteral("背景色"), this), "Frame3");
    TxtColor = named(new QLineEdit(Frame3), "TxtColor");
    TxtColor->setReadOnly(true);
    TxtColor->setFocusPolicy(Qt::NoFocus);
    CmdColor = named(new QPushButton(QStringLiteral("参照..."), Frame3), "CmdColor");
    auto *row = new QHBoxLayout(Frame3);
    row->addWidget(TxtColor);
    row->addWidget(CmdColor);
    Frame2 = named(new QGroupBox(QStringLiteral("ﾌｫﾝﾄ"), this), "Frame2");
    TxtFont = named(new QLineEdit(Frame2), "TxtFont");
    TxtSize = named(new QLineEdit(Frame2), "TxtSize");
    for (QLineEdit *shown : {TxtFont, TxtSize})
        shown->setReadOnly(true);
    TxtSize->setMaximumWidth(fontMetrics().horizontalAdvance(QStringLiteral("00000")));
    CmdFont = named(new QPushButton(QStringLiteral("参照..."), Frame2), "CmdFont");
    pressedBy(CmdColor, QKeySequence(QStringLiteral("Alt+C")));
    pressedBy(CmdFont, QKeySequence(QStringLiteral("Alt+F")));
    row = new QHBoxLayout(Frame2);
    row->addWidget(TxtFont);
    row->addWidget(TxtSize);
    row->addWidget(CmdFont);
    Frame1 = named(new QGroupBox(QStringLiteral("ｳｨﾝﾄﾞｳの表示位置"), this), "Frame1");
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
    auto *grid = new QGridLayout(this);
    grid->addWidget(Frame3, 0, 0);
    grid->addWidget(Frame2, 1, 0);
    grid->addWidget(Frame1, 0, 1, 2, 1);
    connect(CmdColor, &QPushButton::clicked, this, &DisplayPage::CmdColor_Click);
    connect(CmdFont, &QPushButton::clicked, this, &DisplayPage::CmdFont_Click);
}

void DisplayPage::fill(const OptSettings &s, const IniOptions &)
{
    OptLeftup->setChecked(s.posLeftUp);
    OptRightup->setChecked(s.posRightUp);
    OptLeftlow->setChecked(s.posLeftLow);
    OptRightlow->setChecked(s.posRightLow);
    OptCenter->setChecked(s.posCenter);
    m_draft = s;
    fillDisplay();
}

void DisplayPage::gather(OptSettings &s, IniOptions &)
{
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
}

void DisplayPage::fillDisplay()
{
    TxtFont->setText(m_draft.fontName);
    TxtSize->setText(m_draft.fontSize);
    const quint32 bgr = m_draft.backColor.toUInt();
    TxtColor->setStyleSheet(QStringLiteral("background-color: rgb(%1, %2, %3)")
                                .arg(bgr & 0xFF)
                                .arg(bgr >> 8 & 0xFF)
                                .arg(bgr >> 16 & 0xFF));
}

void DisplayPage::CmdColor_Click()
{
    const auto chosen = m_dialogs.chooseColor(m_draft.backColor.toUInt());
    if (!chosen)
        return;
    m_draft.backColor = QString::number(*chosen);
    fillDisplay();
    emit previewed(m_draft);
}

void DisplayPage::CmdFont_Click()
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
    emit previewed(m_draft);
}
