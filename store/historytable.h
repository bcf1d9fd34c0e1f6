#pragma once

#include "findindex.h"
#include "records.h"

#include <QSqlQuery>
#include <QStringList>
#include <QVariantList>
#include <functional>
#include <optional>
#include <vector>

class Store;

// The history rows in the store, and the order the list shows them in: runs
// of consecutive keys. Only what is asked for is read.
class HistoryTable
{
public:
    struct Run
    {
        qint64 seq = 0;
        qint64 first = 0;
        qint64 count = 0;
    };

    // Rows that show every word (folded, see findterms) and were sent
    // within the dates (as the rows write them; empty: open).
    struct Query
    {
        QStringList words;
        QString from;
        QString to;
        bool empty() const { return words.isEmpty() && from.isEmpty() && to.isEmpty(); }
    };
    struct Found
    {
        std::vector<qint64> keys; // ascending
        qint64 through = 0;       // every key up to this one was looked at
    };

    explicit HistoryTable(Store &store);

    std::vector<Run> runs();
    // Writes a run as it now stands; count 0 removes it.
    void saveRun(const Run &run);
    // The runs as they now stand, numbered anew.
    void replaceRuns(std::vector<Run> &runs);
    // Every run goes (the rows are swept away after); no key used so far
    // is handed out again.
    void clear();
    // The number a message sent as row rowNo goes out with: never one of a
    // row still waiting for its answer, nor one given out before unless the
    // numbers wrapped (see sentNumber in the .cpp).
    int nextSentNo(int rowNo);

    // sentNo: the row number this row was sent with (0: none). indexed:
    // its terms go in with it (else its key is pending, see below).
    void insert(const HistoryRow &row, int sentNo, bool indexed = true);
    // Keys first to last have no terms yet; ready: the store's worker may
    // give them theirs (else their rows are still loading).
    void setPending(qint64 first, qint64 last, bool ready);
    void dropPending(qint64 first);
    void remove(qint64 key);
    // Keys first to last, ascending; the body cut to messageChars.
    std::vector<HistoryRow> page(qint64 first, qint64 last, int messageChars);
    std::optional<HistoryRow> row(qint64 key);
    // Every row of keys first to last, whole, in key order, without holding them all.
    void each(qint64 first, qint64 last, const std::function<void(const HistoryRow &)> &f);
    // One step of a search among the keys after..last: a few thousand rows
    // at most, so that a step is short.
    Found find(const Query &query, qint64 after, qint64 last);
    // The newest row sent with that number; 0: none.
    qint64 sentWith(int sentNo);
    void setRecipient(qint64 key, const QString &recipient, const QString &receiveTime);
    void setReceiveTime(qint64 key, const QString &receiveTime);
    // Every received row nobody answered takes that name and time; gives their keys.
    std::vector<qint64> markWaiting(const QString &recipient, const QString &receiveTime);

    // The connection goes: the statements prepared on it go first.
    void forget();

private:
    bool run(QSqlQuery &q, const char *what);
    QSqlQuery prepared(const QString &sql);
    // The terms of each row go with it: in, out, and anew with another recipient.
    FindIndex &findIndex();
    bool ran(bool ok, const char *what);
    void index(qint64 key, const QString &sender, const QString &recipient, const QString &message);
    void indexTerms(qint64 key, const QString &terms);
    void unindexTerms(qint64 key, const QString &terms);
    // The rows where says that have their terms (not pending).
    void indexedRows(const QString &where, const QVariantList &values,
                     const std::function<void(const HistoryRow &)> &f);
    void unindexRows(const QString &where, const QVariantList &values);
    void reindexRecipient(const QString &where, const QVariantList &values,
                          const QString &recipient);

    Store &m_store;
    // Prepared at their first use (the store may open after this table is made).
    std::optional<QSqlQuery> m_insert;
    std::optional<FindIndex> m_find;
    std::optional<QSqlQuery> m_saveRun;
};
