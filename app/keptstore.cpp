#include "keptstore.h"

#include "dialogs.h"

#include <QDir>
#include <QTimer>

namespace {

Dialogs::Box warning(const QString &text)
{
    return {text, QStringLiteral("ぽるとな～"), Dialogs::Icon::Exclamation, Dialogs::Buttons::Ok,
            Dialogs::Ok};
}

} // namespace

KeptStore::KeptStore(const QString &folder, Dialogs &dialogs)
    : m_dialogs(dialogs), m_path(folder.isEmpty() ? QString() : QDir(folder).filePath(fileName()))
{
}

void KeptStore::writeFailed()
{
    if (std::exchange(m_toldFailure, true))
        return;
    tellLater(QStringLiteral("履歴と受信ﾒｯｾｰｼﾞを保存先\r%1\rに書き込めませんでした。"
                             "ディスクの空きが足りないか、書き込みに失敗しています。\r"
                             "書き込めなかった受信ﾒｯｾｰｼﾞは拒否し、"
                             "その間に送ったﾒｯｾｰｼﾞや操作は履歴に残っていません。")
                  .arg(QDir::toNativeSeparators(m_path)));
}

void KeptStore::fileLost(Store::Problem problem)
{
    m_problem = problem;
    QString text = QStringLiteral("履歴と受信ﾒｯｾｰｼﾞの保存先\r%1\rが消されたか、"
                                  "別のファイルに置き換えられました。\r")
                       .arg(QDir::toNativeSeparators(m_path));
    text += problem == Store::Problem::None ? QStringLiteral("この場所で保存を続けます。")
                                            : problemText(problem);
    tellLater(text);
}

void KeptStore::tellLater(const QString &text)
{
    // After the batch: a box waits for the user, acknowledgements do not.
    QTimer::singleShot(0, this, [this, text] { m_dialogs.messageBox(warning(text)); });
}

void KeptStore::open()
{
    m_problem = m_store.open(m_path);
}

void KeptStore::tellProblem()
{
    if (m_problem != Store::Problem::None)
        m_dialogs.messageBox(warning(problemText(m_problem)));
}

QString KeptStore::problemText(Store::Problem problem) const
{
    QString why;
    switch (problem) {
    case Store::Problem::None:
        return {};
    case Store::Problem::ReadOnly:
        why = QStringLiteral("書き込めません。");
        break;
    case Store::Problem::CannotOpen:
        why = QStringLiteral("開けませんでした。");
        break;
    case Store::Problem::Damaged:
        why = QStringLiteral("壊れています。");
        break;
    case Store::Problem::Newer:
        why = QStringLiteral("新しい版のぽるとな～のものです。");
        break;
    }
    return QStringLiteral("履歴と受信ﾒｯｾｰｼﾞの保存先\r%1\rは%2\r"
                          "ファイルには手を付けずにこのまま動きますが、今回の履歴と受信ﾒｯｾｰｼﾞは"
                          "終了すると残りません。")
        .arg(QDir::toNativeSeparators(m_path), why);
}

bool KeptStore::hasRoom()
{
    if (!m_store.overLimit()) {
        m_toldFull = false;
        return true;
    }
    if (!m_toldFull) {
        m_toldFull = true;
        tellLater(QStringLiteral("履歴と受信ﾒｯｾｰｼﾞの保存先がいっぱいです (上限 %1 MB)。\r"
                                 "これから届くﾒｯｾｰｼﾞは、空きができるまで拒否します。\r"
                                 "履歴を保存してから履歴ｸﾘｱすると空きができます。")
                      .arg(Store::SizeLimit >> 20));
    }
    return false;
}
