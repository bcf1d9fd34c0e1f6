#include "wiring.h"

#include "answertaker.h"
#include "arrivals.h"
#include "datagramport.h"
#include "dispatcher.h"
#include "historybrowser.h"
#include "historymodel.h"
#include "historysearch.h"
#include "inbox.h"
#include "networksearch.h"
#include "networkwatcher.h"
#include "peersearch.h"
#include "receiver.h"
#include "resultpresenter.h"
#include "store.h"

#include <algorithm>

namespace wiring {

void networkToSearch(NetworkWatcher &watcher, PeerSearch &peers, NetworkSearch &search)
{
    QObject::connect(&watcher, &NetworkWatcher::changed, &search, &NetworkSearch::consider);
    QObject::connect(&peers, &PeerSearch::started, &search, &NetworkSearch::searchStarted);
}

void storeToHistory(Store &store, HistoryModel &history)
{
    QObject::connect(&store, &Store::committed, &history, &HistoryModel::batchCommitted);
    QObject::connect(&store, &Store::rolledBack, &history, &HistoryModel::batchRolledBack);
    QObject::connect(&store, &Store::opened, &history, &HistoryModel::storeOpened);
    QObject::connect(&store, &Store::closing, &history, &HistoryModel::storeClosing);
    QObject::connect(&store, &Store::swept, &history, &HistoryModel::swept);
}

void storeToInbox(Store &store, Inbox &inbox)
{
    QObject::connect(&store, &Store::began, &inbox, &Inbox::batchBegan);
    QObject::connect(&store, &Store::committed, &inbox, &Inbox::batchCommitted);
    QObject::connect(&store, &Store::rolledBack, &inbox, &Inbox::batchRolledBack);
    // A store opened anew at its path is read back (what failed was undone already).
    QObject::connect(&store, &Store::fileLost, &inbox, &Inbox::restore);
}

void dispatcherToArrivals(Dispatcher &dispatcher, Arrivals &arrivals)
{
    // Direct: the entry and its history row exist before the acknowledgement leaves.
    QObject::connect(&dispatcher, &Dispatcher::messageArrived, &arrivals, &Arrivals::addRecvMsg,
                     Qt::DirectConnection);
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
    HistorySearch &search = browser.search();
    QObject::connect(
        &history, &QAbstractItemModel::rowsInserted, &search,
        [&search](const QModelIndex &, int first, int last) { search.rowsAdded(first, last); });
    QObject::connect(&history, &QAbstractItemModel::rowsRemoved, &search, &HistorySearch::restart);
    QObject::connect(&history, &QAbstractItemModel::modelReset, &search, &HistorySearch::restart);
    QObject::connect(&history, &QAbstractItemModel::dataChanged, &search,
                     &HistorySearch::rowsChanged);
}

void storeToBrowser(Store &store, HistoryBrowser &browser)
{
    QObject::connect(&store, &Store::indexing, &browser, &HistoryBrowser::indexing);
}

void answersToResults(Dispatcher &dispatcher, HistoryModel &history,
                      std::vector<AnswerTaker *> takers, ResultPresenter &results)
{
    const auto taken = [takers](const auto &take) {
        return std::any_of(takers.begin(), takers.end(), take);
    };
    QObject::connect(&dispatcher, &Dispatcher::delivered, &results,
                     [taken, &results](const wire::Name &name, const QString &source) {
                         if (!taken([&](AnswerTaker *t) { return t->delivered(source); }))
                             results.delivered(name);
                     });
    QObject::connect(&dispatcher, &Dispatcher::refused, &results,
                     [taken, &results](const QString &source) {
                         if (!taken([&](AnswerTaker *t) { return t->refused(source); }))
                             results.refused();
                     });
    QObject::connect(&dispatcher, &Dispatcher::answered, &results,
                     [taken, &history, &results](wire::Kind kind, const wire::Name &name, int row,
                                                 const QString &source) {
                         // A number outside the list names no row.
                         history.logSetResult(row, kind == wire::Kind::Discard);
                         if (!taken([&](AnswerTaker *t) { return t->answered(kind, source, row); }))
                             results.answered(kind, name);
                     });
}

} // namespace wiring
