#include "qtdialogs.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace {

QMessageBox::Icon toQt(Dialogs::Icon icon)
{
    switch (icon) {
    case Dialogs::Icon::Critical:
        return QMessageBox::Critical;
    case Dialogs::Icon::Question:
        return QMessageBox::Question;
    case Dialogs::Icon::Exclamation:
        return QMessageBox::Warning;
    case Dialogs::Icon::Information:
        return QMessageBox::Information;
    case Dialogs::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButton toQt(Dialogs::Answer answer)
{
    switch (answer) {
    case Dialogs::Ok:
        return QMessageBox::Ok;
    case Dialogs::Cancel:
        return QMessageBox::Cancel;
    case Dialogs::Retry:
        return QMessageBox::Retry;
    case Dialogs::Yes:
        return QMessageBox::Yes;
    case Dialogs::No:
        return QMessageBox::No;
    }
    return QMessageBox::NoButton;
}

} // namespace

Dialogs::Answer QtDialogs::messageBox(const Box &box)
{
    // Said on stderr as well: the only trace a box leaves when nobody looks.
    qInfo("portana: message box [%s] %s", qUtf8Printable(box.title),
          qUtf8Printable(QString(box.text).replace(u'\r', u'|')));

    // The program breaks lines with a bare CR; the box wants LF.
    QString shown = box.text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\r', u'\n');
    QMessageBox dialog(toQt(box.icon), box.title, shown);
    dialog.setTextFormat(Qt::PlainText);
    switch (box.buttons) {
    case Buttons::Ok:
        dialog.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::OkCancel:
        dialog.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        break;
    case Buttons::YesNo:
        dialog.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::RetryCancel:
        dialog.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
        break;
    }
    dialog.setDefaultButton(toQt(box.defaultAnswer));
    switch (dialog.exec()) {
    case QMessageBox::Yes:
        return Yes;
    case QMessageBox::No:
        return No;
    case QMessageBox::Retry:
        return Retry;
    case QMessageBox::Cancel:
        return Cancel;
    default:
        return box.buttons == Buttons::YesNo ? No : Ok;
    }
}

QString QtDialogs::openFileName(const QString &start)
{
    return QFileDialog::getOpenFileName(nullptr, QString(), start);
}

QString QtDialogs::saveFileName(const QString &start)
{
    return QFileDialog::getSaveFileName(nullptr, QString(), start);
}

QStringList QtDialogs::openFileNames(const QString &start)
{
    return QFileDialog::getOpenFileNames(nullptr, QStringLiteral("添付"), start);
}

QString QtDialogs::folderName(const QString &start)
{
    return QFileDialog::getExistingDirectory(nullptr, QStringLiteral("保存するﾌｫﾙﾀﾞｰ"), start);
}

std::optional<quint32> QtDialogs::chooseColor(quint32 initial)
{
    const QColor chosen = QColorDialog::getColor(
        QColor(int(initial & 0xFF), int(initial >> 8 & 0xFF), int(initial >> 16 & 0xFF)));
    if (!chosen.isValid())
        return std::nullopt;
    return quint32(chosen.red()) | quint32(chosen.green()) << 8 | quint32(chosen.blue()) << 16;
}

std::optional<Dialogs::Font> QtDialogs::chooseFont(const Font &initial)
{
    QFont font(initial.family);
    font.setPointSizeF(initial.pointSize > 0 ? initial.pointSize : 9);
    font.setItalic(initial.italic);
    font.setBold(initial.bold);
    font.setUnderline(initial.underline);
    font.setStrikeOut(initial.strikeOut);
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font);
    if (!ok)
        return std::nullopt;
    return Font{chosen.family(), chosen.pointSizeF(), chosen.italic(),
                chosen.bold(),   chosen.underline(),  chosen.strikeOut()};
}

std::optional<QString> QtDialogs::askText(const QString &prompt, const QString &title,
                                          const QString &initial)
{
    bool ok = false;
    const QString text =
        QInputDialog::getText(nullptr, title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}
