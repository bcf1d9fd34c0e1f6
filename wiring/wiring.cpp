#include "wiring.h"

#include "datagramport.h"
#include "dispatcher.h"
#include "historybrowser.h"
#include "historymodel.h"
#include "inbox.h"
#include "receiver.h"
#include "resultpresenter.h"
#include "sendround.h"
#include "store.h"

namespace wiring {

void storeToHistory(Store &store, HistoryModel &history)
{
    QObject::connect(&store, &Store::committed, &history, &HistoryModel::batchCommitted);
    QObject::connect(&store, &Store::rolledBack, &history, &HistoryModel::batchRolledBack);
    QObject::connect(&store, &Store::opened, &history, &HistoryModel::storeOpened);
    QObject::connect(&store, &Store::closing, &history, &HistoryModel::storeClosing);
}

void storeToInbox(Store &store, Inbox &inbox)
{
    QObject::connect(&store, &Store::began, &inbox, &Inbox::batchBegan);
    QObject::connect(&store, &Store::committed, &inbox, &Inbox::batchCommitted);
    QObject::connect(&store, &Store::rolledBack, &inbox, &Inbox::batchRolledBack);
    // A store opened anew at its path is read back (what failed was undone already).
    QObject::connect(&store, &Store::fileLost, &inbox, &Inbox::restore);
}

void portToDispatcher(DatagramPort &port, Dispatcher &dispatcher)
{
    QObject::connect(&port, &DatagramPort::arrived, &dispatcher, &Dispatcher::datagramArrived);
    QObject::connect(&port, &DatagramPort::drained, &dispatcher, &Dispatcher::datagramsDrained);
}

void inboxToReceiver(Inbox &inbox, Receiver &receiver)
{
    QObject::connect(&inbox, &Inbox::arrived, &receiver, &Receiver::arrivalKept);
}

void historyToBrowser(HistoryModel &history, HistoryBrowser &browser)
{
    QObject::connect(&history, &QAbstractItemModel::modelReset, &browser,
                     &HistoryBrowser::rowsGone);
    QObject::connect(&history, &QAbstractItemModel::rowsRemoved, &browser,
                     &HistoryBrowser::rowsGone);
}

void answersToResults(Dispatcher &dispatcher, HistoryModel &history, SendRound &round,
                      ResultPresenter &results)
{
    QObject::connect(&dispatcher, &Dispatcher::delivered, &results,
                     [&round, &results](const wire::Name &name, const QString &source) {
                         if (!round.delivered(source))
                             results.delivered(name);
                     });
    QObject::connect(&dispatcher, &Dispatcher::refused, &results,
                     [&round, &results](const QString &source) {
                         if (!round.refused(source))
                             results.refused();
                     });
    QObject::connect(&dispatcher, &Dispatcher::answered, &results,
                     [&history, &round, &results](wire::Kind kind, const wire::Name &name, int row,
                                                  const QString &source) {
                         // A number outside the list names no row.
                         history.logSetResult(row, kind == wire::Kind::Discard);
                         if (!round.answered(kind, source, row))
                             results.answered(kind, name);
                     });
}

} // namespace wiring
