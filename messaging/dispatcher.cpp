#include "dispatcher.h"

#include "awaynote.h"
#include "cp932.h"
#include "datagramport.h"
#include "dialogs.h"
#include "fieldtext.h"
#include "historymodel.h"
#include "localuser.h"
#include "optsettings.h"
#include "userlistmodel.h"

#include <exception>

Dispatcher::Dispatcher(DatagramPort &port, const OptSettings &settings, const LocalUser &user,
                       UserListModel &users, HistoryModel &history, const AwayNote &note,
                       Dialogs &dialogs, QObject *parent)
    : QObject(parent), m_port(port), m_settings(settings), m_user(user), m_users(users),
      m_history(history), m_note(note), m_dialogs(dialogs)
{
    connect(&m_port, &DatagramPort::arrived, this, &Dispatcher::handle);
}

bool Dispatcher::send(const QString &address, const QString &text)
{
    return sendBytes(address, cp932::encode(text));
}

bool Dispatcher::sendBytes(const QString &address, const QByteArray &bytes)
{
    return m_port.send(address, bytes);
}

void Dispatcher::handle(const QByteArray &bytes, const QString &source)
{
    try {
        dispatch(cp932::decode(bytes), source);
    } catch (const std::exception &e) {
        qWarning("portana: datagram from %s not handled: %s", qPrintable(source), e.what());
        m_dialogs.messageBox({QStringLiteral("受信ﾒｯｾｰｼﾞｴﾗｰ！"), QStringLiteral("ぽるとな～"),
                              Dialogs::Icon::Critical, Dialogs::Buttons::Ok, Dialogs::Ok});
    }
}

void Dispatcher::dispatch(const QString &datagram, const QString &source)
{
    using wire::Kind;
    const Kind kind = wire::classify(datagram);
    switch (kind) {
    case Kind::Ack:
        deliveryResult(datagram);
        break;
    case Kind::Reject:
        rejectionResult();
        break;
    case Kind::OpenConfirm:
    case Kind::Hold:
    case Kind::Discard:
        openHoldDiscardResult(kind, datagram);
        break;
    case Kind::SearchRequest:
        send(source,
             wire::searchReply(m_user.loginField(), m_user.localAddress(),
                               m_users.selectedPeerAddress(), m_settings.optName, m_note.isSet()));
        break;
    case Kind::SearchReply:
        m_users.addReplier(datagram, source);
        break;
    case Kind::LetterReply:
        emit awayNoteReceived(QStringLiteral("置き手紙受信内容  => ") + wire::letterText(datagram));
        break;
    case Kind::LetterRequest:
        if (send(source, wire::letterReply(m_settings.optName, m_note.text())))
            emit awayNoteFetched();
        break;
    case Kind::Message:
        messageDatagram(datagram, source);
        break;
    }
}

void Dispatcher::deliveryResult(const QString &datagram)
{
    m_resultPeerName = fieldtext::shortName(wire::resultNameField(datagram));
    SendResult result;
    result.label = QStringLiteral("メッセージは正しく送信されました。");
    result.peerName = m_resultPeerName;
    if (m_settings.sndConfirm == 1)
        result.display = m_settings.sndConfirmMin == 1 ? Display::Small : Display::Full;
    emit sendResult(result);
}

void Dispatcher::rejectionResult()
{
    // Shown whatever the confirmation settings say.
    SendResult result;
    result.rejected = true;
    result.label = QStringLiteral("あなたのﾒｯｾｰｼﾞは拒否されました。");
    result.peerName = m_resultPeerName;
    result.display = Display::Full;
    emit sendResult(result);
}

void Dispatcher::openHoldDiscardResult(wire::Kind kind, const QString &datagram)
{
    ReceiveResult result;
    result.kind = kind;
    switch (kind) {
    case wire::Kind::OpenConfirm:
        result.label = QStringLiteral("メッセージは確認されました。");
        break;
    case wire::Kind::Hold:
        result.label = QStringLiteral("メッセージは返信保留されています。");
        break;
    default:
        result.label = QStringLiteral("メッセージは未確認のまま閉じられました。");
        break;
    }
    result.nameField = wire::resultNameField(datagram);
    // A hold notice carries no reference, so it names no row; neither does a
    // number outside the list.
    m_history.logSetResult(wire::resultRow(datagram), kind == wire::Kind::Discard);
    if (m_settings.rcvConfirm == 1)
        result.display = m_settings.rcvConfirmMin == 1 ? Display::Small : Display::Full;
    result.autoClose = m_settings.autoErase == 1;
    emit receiveResult(result);
}

void Dispatcher::messageDatagram(const QString &datagram, const QString &source)
{
    if (m_settings.otherReject == 1 && source != m_users.selectedPeerAddress()) {
        send(source, wire::reject());
        return;
    }
    emit messageArrived(wire::readMessage(datagram), source);
    send(source, wire::ack(m_user.sendName()));
}
