#pragma once

#include "historyloader.h"
#include "historysearch.h"

#include <QObject>
#include <QString>

class Clock;
class QDate;
class Dialogs;
class HistoryModel;

// What the history window shows besides the list: the detail view of one
// row with its paging, the status text, and the file commands. No widgets.
class HistoryBrowser : public QObject
{
    Q_OBJECT
public:
    HistoryBrowser(HistoryModel &history, const Clock &clock, Dialogs &dialogs,
                   QObject *parent = nullptr);

    bool detailOpen() const { return m_detail; }
    int currentRow() const { return m_row; }
    bool nextEnabled() const { return m_next; }
    bool backEnabled() const { return m_back; }
    // The count or the row shown, and how far the index of an older store got.
    QString statusText() const;
    // The detail view's texts for the current row.
    QString fromText() const;
    QString toText() const;
    QString dateText() const;
    QString sendTimeText() const;
    QString receiveTimeText() const;
    QString messageText() const;

    // dspLog: the count in the status text.
    void shown();
    // The rows the list shows while a search is shown (see HistorySearch):
    // the detail view pages among them and 保存 writes them.
    HistorySearch &search() { return m_search; }
    void find(const QString &text, const QDate &from, const QDate &to);
    // A click on row r (1-based) of the list.
    void openRow(int r);
    void next();
    void back();
    // OK: the detail view goes back to the list; true when the window is to hide.
    bool ok();
    // 履歴ｸﾘｱ: the whole history, at once; while a search is shown, after asking.
    void clear();

    // 保存(&W), 読込(&R), 追加読込(&A).
    void save();
    // Starts reading a file; loaded() once its rows are in the list (or it
    // was refused, with a box).
    void load(bool append);
    bool loading() const { return m_loader.busy(); }
    // Rows left the list (it was emptied or replaced): the detail view never
    // stays on a row that is gone. The composition root connects it.
    void rowsGone();
    // The store indexes the rows of an older version: done of total.
    void indexing(qint64 done, qint64 total);

signals:
    void changed();
    void loaded();

private:
    void loadFinished(HistoryLoader::Outcome outcome);
    QString notKeptText() const;
    void setPaging();
    QString countText() const;
    int shownCount() const;
    HistoryRow shownRow(int n) const;

    HistoryModel &m_history;
    const Clock &m_clock;
    Dialogs &m_dialogs;
    bool m_detail = false;
    int m_row = 0;
    bool m_next = false;
    bool m_back = false;
    QString m_status;
    int m_indexed = 100; // percent
    QString m_lastPath;  // both file dialogs start from the name chosen last
    HistoryLoader m_loader;
    HistorySearch m_search;
};
