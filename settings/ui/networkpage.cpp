#include "networkpage.h"

#include "controls.h"
#include "inioptions.h"
#include "searchtargets.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>

NetworkPage::NetworkPage(QWidget *parent) : OptionPage(parent)
{
    LblTargets = named(new QLabel(QStringLiteral("ほかのﾈｯﾄﾜｰｸの検索先（1行に1つ）：\n"
                                                 "ｱﾄﾞﾚｽ、ﾎｽﾄ名、範囲（192.168.12.0/24 など）"),
                                  this),
                       "LblTargets");
    TxtTargets = named(new QPlainTextEdit(this), "TxtTargets");
    TxtTargets->setLineWrapMode(QPlainTextEdit::NoWrap);
    readAs(TxtTargets, QStringLiteral("ほかのネットワークの検索先"),
           QStringLiteral("1行に1つ。アドレス、ホスト名、範囲（192.168.12.0/24 など）"));
    LblTargetCheck = named(new QLabel(this), "LblTargetCheck");
    LblTargetCheck->setMinimumHeight(2 * LblTargetCheck->fontMetrics().lineSpacing());
    auto *column = new QVBoxLayout(this);
    column->addWidget(LblTargets);
    column->addWidget(TxtTargets, 1);
    column->addWidget(LblTargetCheck);
    // Each line is checked as it is typed.
    connect(TxtTargets, &QPlainTextEdit::textChanged, this,
            [this] { LblTargetCheck->setText(problem()); });
}

void NetworkPage::fill(const OptSettings &, const IniOptions &ini)
{
    TxtTargets->setPlainText(ini.searchTargets.join(u'\n'));
}

void NetworkPage::gather(OptSettings &, IniOptions &ini)
{
    QStringList targets;
    for (const QString &line : TxtTargets->toPlainText().split(u'\n'))
        if (!line.trimmed().isEmpty())
            targets << line.trimmed();
    ini.searchTargets = targets;
}

QString NetworkPage::problem() const
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
