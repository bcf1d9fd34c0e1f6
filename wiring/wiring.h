#pragma once

#include <vector>

class AnswerTaker;
class Arrivals;
class NetworkSearch;
class NetworkWatcher;
class PeerSearch;
class DatagramPort;
class Dispatcher;
class HistoryBrowser;
class HistoryModel;
class Inbox;
class Receiver;
class ResultPresenter;
class Store;

// How the parts below the windows hear of each other. Every connection
// between two of them is made here, for the composition root (and for a
// test or benchmark that builds some of them alone); no part connects
// itself to another.
namespace wiring {

// The batches and the file of the store reach the history list.
void storeToHistory(Store &store, HistoryModel &history);
// The batches of the store the inbox is kept in reach the inbox.
void storeToInbox(Store &store, Inbox &inbox);
void portToDispatcher(DatagramPort &port, Dispatcher &dispatcher);
// A message that passed the partner filter is kept.
void dispatcherToArrivals(Dispatcher &dispatcher, Arrivals &arrivals);
// A change of the network, and every search that begins, reach the
// automatic search.
void networkToSearch(NetworkWatcher &watcher, PeerSearch &peers, NetworkSearch &search);
void inboxToReceiver(Inbox &inbox, Receiver &receiver);
void historyToBrowser(HistoryModel &history, HistoryBrowser &browser);
// How far the index of an older store got shows in the history window.
void storeToBrowser(Store &store, HistoryBrowser &browser);
// A peer's answer completes the history row it names, then goes to the
// first taker that waits for it (a message sent to several, one sent by
// another program), else shows in its own result window.
void answersToResults(Dispatcher &dispatcher, HistoryModel &history,
                      std::vector<AnswerTaker *> takers, ResultPresenter &results);

} // namespace wiring
