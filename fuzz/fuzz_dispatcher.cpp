// One datagram from anywhere through the whole receiving path: the
// dispatcher, the user list, the history, the inbox and the result reports,
// with doubles for the socket and the clock.
#include "answersender.h"
#include "arrivals.h"
#include "awaynote.h"
#include "clock.h"
#include "composer.h"
#include "datagramport.h"
#include "dispatcher.h"
#include "historymodel.h"
#include "inbox.h"
#include "localuser.h"
#include "optsettings.h"
#include "passwordgate.h"
#include "receiver.h"
#include "transport.h"
#include "userlistmodel.h"
#include "wiring.h"

#include <cstdint>

namespace {

struct Port final : DatagramPort
{
    BindResult bind() override { return BindResult::Bound; }
    QString errorText() const override { return {}; }
    QString localAddress() const override { return QStringLiteral("198.18.0.1"); }
    bool send(const QString &, const QByteArray &bytes) override { return !bytes.isEmpty(); }
};

struct FixedClock final : Clock
{
    QDateTime now() const override { return QDateTime(QDate(2026, 12, 8), QTime(10, 15)); }
    qint64 elapsedMsecs() const override { return 0; }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Port port;
    FixedClock clock;
    OptSettings settings;
    settings.rcvButton = true;
    LocalUser user(QByteArray("fuzz"), QStringLiteral("198.18.0.1"), settings);
    HistoryModel history(clock, [&user] { return user.shortName(); });
    history.logAddSend(QStringLiteral("peer "), QStringLiteral("sent"));
    UserListModel users;
    AwayNote note;
    Transport transport(port);
    Dispatcher dispatcher(port, transport, settings, user, users, note, clock);
    wiring::portToDispatcher(port, dispatcher);
    Composer composer(transport, user, users, history, clock);
    AnswerSender answers(transport, composer, user);
    PasswordGate gate(settings);
    Inbox inbox;
    Receiver receiver(inbox, answers, history, gate);
    wiring::inboxToReceiver(inbox, receiver);
    Arrivals arrivals(inbox, history);
    wiring::dispatcherToArrivals(dispatcher, arrivals);
    QObject::connect(&dispatcher, &Dispatcher::answered,
                     [&history](wire::Kind kind, const wire::Name &, int row, const QString &) {
                         history.logSetResult(row, kind == wire::Kind::Discard);
                     });
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    // Twice, so a message meets a table that already holds one.
    port.arrived(bytes, QStringLiteral("198.18.0.2"));
    port.arrived(bytes, QStringLiteral("198.18.0.3"));
    if (inbox.isLive()) {
        inbox.showFirst();
        receiver.open();
        receiver.next();
        receiver.reply(QStringLiteral("返事"));
        receiver.discard();
    }
    return 0;
}
