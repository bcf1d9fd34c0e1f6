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

void KeptStore::open()
{
    m_problem = m_store.open(m_path);
}

void KeptStore::tellProblem()
{
    QString why;
    switch (m_problem) {
    case Store::Problem::None:
        return;
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
    m_dialogs.messageBox(warning(
        QStringLiteral("履歴と受信ﾒｯｾｰｼﾞの保存先\r%1\rは%2\r"
                       "ファイルには手を付けずにこのまま動きますが、今回の履歴と受信ﾒｯｾｰｼﾞは"
                       "終了すると残りません。")
            .arg(QDir::toNativeSeparators(m_path), why)));
}

bool KeptStore::hasRoom()
{
    if (!m_store.overLimit()) {
        m_toldFull = false;
        return true;
    }
    if (!m_toldFull) {
        m_toldFull = true;
        // Told after the datagram's batch: a box waits for the user, acknowledgements do not.
        QTimer::singleShot(0, this, [this] {
            m_dialogs.messageBox(
                warning(QStringLiteral("履歴と受信ﾒｯｾｰｼﾞの保存先がいっぱいです (上限 %1 MB)。\r"
                                       "これから届くﾒｯｾｰｼﾞは、空きができるまで拒否します。\r"
                                       "履歴を保存してから履歴ｸﾘｱすると空きができます。")
                            .arg(Store::SizeLimit >> 20)));
        });
    }
    return false;
}
