#include "traycontroller.h"

#include "icontheme.h"

#include <QCursor>
#include <QMenu>
#include <QTimer>

const QString TrayController::Tip = QStringLiteral("ぽるとな～");

namespace {

QAction *item(QMenu *menu, const char *name, const QString &caption)
{
    QAction *action = menu->addAction(caption);
    action->setObjectName(QLatin1String(name));
    return action;
}

void separator(QMenu *menu, const char *name)
{
    menu->addSeparator()->setObjectName(QLatin1String(name));
}

} // namespace

TrayController::TrayController(TrayHost &host, IconTheme &theme, QObject *parent)
    : QObject(parent), m_host(host), m_theme(theme)
{
    mnuTray = new QMenu(QStringLiteral("ﾀｽｸﾄﾚｲに表示するﾒﾆｭｰ"));
    mnuTray->setObjectName(QStringLiteral("mnuTray"));
    mnuSendMsg = item(mnuTray, "mnuSendMsg", QStringLiteral("送信ﾒｯｾｰｼﾞの作成(&S)"));
    mnuRecvMsg = item(mnuTray, "mnuRecvMsg", QStringLiteral("受信ﾒｯｾｰｼﾞの表示(&R)"));
    mnuRecvMsg->setEnabled(false);
    mnuLetter = item(mnuTray, "mnuLetter", QStringLiteral("置き手紙作成(&W)"));
    separator(mnuTray, "mnuLine5");
    mnuLog = item(mnuTray, "mnuLog", QStringLiteral("送受信履歴表示(&L)"));
    separator(mnuTray, "mnuLine4");
    mnuOpt = mnuTray->addMenu(QStringLiteral("ｵﾌﾟｼｮﾝ(&O)"));
    mnuOpt->setObjectName(QStringLiteral("mnuOpt"));
    mnuIcon = item(mnuOpt, "mnuIcon", QStringLiteral("ｱｲｺﾝ変更(&I)"));
    mnuOther = item(mnuOpt, "mnuOther", QStringLiteral("動作環境の設定...(&O) "));
    separator(mnuTray, "mnuLine2");
    mnuAbout = item(mnuTray, "mnuAbout", QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報(&A)"));
    separator(mnuTray, "mnuLine1");
    mnuEnd = item(mnuTray, "mnuEnd", QStringLiteral("終了(&X)"));

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(BlinkMs);

    connect(Timer2, &QTimer::timeout, this, &TrayController::Timer2_Timer);
    for (auto [action, chosen] : {std::pair{mnuSendMsg, &TrayController::sendWindowRequested},
                                  {mnuRecvMsg, &TrayController::recvWindowRequested},
                                  {mnuLetter, &TrayController::letterRequested},
                                  {mnuLog, &TrayController::logRequested},
                                  {mnuIcon, &TrayController::iconDialogRequested},
                                  {mnuOther, &TrayController::optionsRequested},
                                  {mnuAbout, &TrayController::aboutRequested},
                                  {mnuEnd, &TrayController::endRequested}})
        connect(action, &QAction::triggered, this, [this, chosen] {
            hideMenu();
            emit(this->*chosen)();
        });
}

void TrayController::hideMenu()
{
    mnuTray->hide();
}

void TrayController::setMessagesWaiting(bool waiting)
{
    mnuRecvMsg->setEnabled(waiting);
}

TrayController::~TrayController()
{
    delete mnuTray;
}

void TrayController::addIcon()
{
    m_showsArrival = false;
    m_host.add(m_theme.normal(), Tip);
    m_added = true;
}

void TrayController::removeIcon()
{
    Timer2->stop();
    if (m_added)
        m_host.remove();
    m_added = false;
}

void TrayController::show(bool arrival)
{
    m_showsArrival = arrival;
    if (m_added)
        m_host.modify(arrival ? m_theme.arrival() : m_theme.normal());
}

void TrayController::hostEvent(TrayHost::Event event)
{
    switch (event) {
    case TrayHost::Event::LeftButtonDown:
        mnuTray->hide();
        if (mnuRecvMsg->isEnabled())
            emit recvWindowRequested();
        else
            emit sendWindowRequested();
        break;
    case TrayHost::Event::RightButtonDown:
        mnuTray->popup(QCursor::pos());
        break;
    case TrayHost::Event::Other:
        break;
    }
}

void TrayController::messageArrived(bool blinkIcon, bool recvWindowVisible)
{
    show(true);
    if (blinkIcon && !recvWindowVisible)
        Timer2->start();
}

void TrayController::messagesShown()
{
    if (!Timer2->isActive())
        return;
    Timer2->stop();
    show(true);
}

void TrayController::messagesDealtWith()
{
    Timer2->stop();
    show(false);
}

void TrayController::iconSetChanged()
{
    show(m_showsArrival); // the same picture, of the new set
}

void TrayController::Timer2_Timer()
{
    if (m_blinkPhase == 0) {
        m_blinkPhase = 1;
        show(true);
    } else {
        m_blinkPhase = 0;
        show(false);
    }
}
