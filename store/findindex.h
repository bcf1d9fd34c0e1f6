#pragma once

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QString>
#include <QVariant>
#include <initializer_list>
#include <optional>
#include <vector>

// The search's index in the store, on one connection: a row's terms in and
// out (see findterms), the keys whose rows have no terms yet, and the
// merging of the index's segments. Every statement of the index is here;
// each call says whether it was done, and error() why not.
class FindIndex
{
public:
    // Keys first to last have no terms yet; ready: the work in the
    // background may give them theirs (else their rows still load).
    struct Range
    {
        qint64 first = 0;
        qint64 last = 0;
        bool ready = false;
    };
    struct Pending
    {
        std::vector<Range> ranges; // ascending
        // The last key of the range that holds key; 0: key has its terms.
        qint64 lastOf(qint64 key) const;
        // The first pending key after key; 0: none.
        qint64 nextAfter(qint64 key) const;
    };

    explicit FindIndex(QSqlDatabase db) : m_db(std::move(db)) {}

    bool add(qint64 key, const QString &terms);
    // The index keeps no text: what went in is handed back to take it out.
    bool remove(qint64 key, const QString &terms);

    Pending pending();
    // The first range the background may index; none: nothing is ready.
    std::optional<Range> firstReady(qint64 *keysLeft = nullptr);
    // A range is named by its first key.
    bool setPending(qint64 first, qint64 last, bool ready);
    bool dropPending(qint64 first);
    // Its keys up to through have their terms now.
    bool donePending(const Range &range, qint64 through);
    // Every range not ready but the one of except (loads that never ended).
    bool dropUnready(qint64 except);

    // A search: the columns of history h whose rows hold every term of the
    // match expression (bound first), with keys after the second value up
    // to the third; more conditions on h may follow, and an order by the
    // index's own (f.rowid), which costs no sort.
    static QString matching(const QString &columns);

    // Merges a few pages of segments; merged: whether there was any to merge.
    bool merge(int pages, bool &merged);

    QString error() const { return m_error; }
    // The connection goes: the statements prepared on it go first.
    void forget();

private:
    bool run(QSqlQuery &q);
    bool exec(const QString &sql, std::initializer_list<QVariant> values);
    QSqlQuery &prepared(std::optional<QSqlQuery> &slot, const QString &sql);

    QSqlDatabase m_db;
    std::optional<QSqlQuery> m_add;
    std::optional<QSqlQuery> m_remove;
    QString m_error;
};
