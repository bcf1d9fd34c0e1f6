// The history window's search as the user sees it: what typing in the box
// lists, the count in the status bar, the detail view and 保存 over the
// rows found, and 履歴ｸﾘｱ asking first.
#include "addrows.h"
#include "control.h"
#include "cp932.h"
#include "fakes.h"
#include "findrows.h"
#include "frmlog.h"
#include "historybrowser.h"
#include "historymodel.h"
#include "store.h"
#include "wiring.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QDateEdit>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

namespace {

// Every field differs from row to row, so a match in the wrong column shows.
const std::vector<HistoryRow> Rows = {
    {u"26/11/01"_s, u"鈴木 "_s, u"山田"_s, u"08:00:00"_s, u"08:01:00"_s,
     u"明日の会議室は 3 階です"_s},
    {u"26/11/02"_s, u"佐藤 "_s, u"taro"_s, u"09:00:00"_s, u"09:01:00"_s, u"会議の資料、議室の鍵"_s},
    {u"26/11/03"_s, u"Taro "_s, u"鈴木"_s, u"10:00:00"_s, u""_s, u"カタカナのメモ"_s},
    {u"26/11/04"_s, u"高橋 "_s, u"佐藤"_s, u"11:00:00"_s, u"11:05:00"_s, u"Meeting OK?"_s},
    {u"26/11/05"_s, u"ｲﾁﾛｰ "_s, u"高橋"_s, u"12:00:00"_s, u""_s, u"ランチは 12 時"_s},
};

struct Window
{
    FakeClock clock;
    ScriptedDialogs dialogs;
    HistoryModel history{clock, [] { return u"山田 "_s; }};
    HistoryBrowser browser{history, clock, dialogs};
    FrmLog frm{history, browser};

    Window()
    {
        clock.set(QDateTime(QDate(2026, 12, 8), QTime(9, 0, 0)));
        wiring::historyToBrowser(history, browser);
        QObject::connect(&browser, &HistoryBrowser::changed, &frm, &FrmLog::refresh);
        addRows(history, Rows);
        browser.shown();
        frm.show();
        frm.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&frm));
    }
    // Types into the box as the user does, and waits for the search to end.
    void type(const QString &text)
    {
        auto *box = control<QLineEdit>(&frm, "TxtFind");
        QTest::keySequence(&frm, QKeySequence::Find);
        QVERIFY(box->hasFocus());
        box->selectAll();
        // As an input method hands over what was typed.
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QApplication::sendEvent(box, &commit);
        settle();
    }
    void settle()
    {
        QSignalSpy spy(&browser, &HistoryBrowser::changed);
        while (spy.wait(1000) && browser.search().running()) {
        }
    }
    QString status() const { return control<QLabel>(&frm, "panel3")->text(); }
    // The message column of every row the list shows.
    QStringList listed() const
    {
        const QAbstractItemModel *m = control<QAbstractItemView>(&frm, "LvLog")->model();
        QStringList out;
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->index(r, HistoryModel::MessageCol).data().toString();
        return out;
    }
};

} // namespace

class HistorySearchTest : public QObject
{
    Q_OBJECT
private slots:
    void typedWordsFindRows_data();
    void typedWordsFindRows();
    void workingOnTheRowsFound();
    void theIndexFollowsItsRows_data();
    void theIndexFollowsItsRows();
    void aLongListByKeyboard();
    void readAloud();
    void aFileThatLoadsIsNotSwept();
};

void HistorySearchTest::typedWordsFindRows_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("from");
    QTest::addColumn<QDate>("to");
    QTest::addColumn<QStringList>("found");
    const QDate none;
    const QString r1 = Rows[0].message, r2 = Rows[1].message, r3 = Rows[2].message,
                  r4 = Rows[3].message, r5 = Rows[4].message;
    QTest::addRow("two characters inside a word")
        << u"会議"_s << none << none << QStringList{r1, r2};
    QTest::addRow("one character") << u"階"_s << none << none << QStringList{r1};
    QTest::addRow("three characters, never pairs far apart")
        << u"会議室"_s << none << none << QStringList{r1};
    QTest::addRow("half-width typed, full-width kept")
        << u"ｶﾀｶﾅ"_s << none << none << QStringList{r3};
    QTest::addRow("full-width typed, half-width kept")
        << u"イチロー"_s << none << none << QStringList{r5};
    QTest::addRow("full-width letters, either case")
        << u"ｍｅｅｔｉｎｇ"_s << none << none << QStringList{r4};
    QTest::addRow("ASCII case") << u"ok"_s << none << none << QStringList{r4};
    QTest::addRow("the sender or the recipient")
        << u"佐藤"_s << none << none << QStringList{r2, r4};
    QTest::addRow("a name across the recipient and the sender")
        << u"taro"_s << none << none << QStringList{r2, r3};
    QTest::addRow("every word") << u"会議  3"_s << none << none << QStringList{r1};
    QTest::addRow("no row") << u"会議x"_s << none << none << QStringList{};
    QTest::addRow("dates at both ends")
        << u""_s << QDate(2026, 11, 2) << QDate(2026, 11, 4) << QStringList{r2, r3, r4};
    QTest::addRow("a word within dates")
        << u"会議"_s << QDate(2026, 11, 2) << none << QStringList{r2};
    QTest::addRow("until a date") << u"の"_s << none << QDate(2026, 11, 2) << QStringList{r1, r2};
}

void HistorySearchTest::typedWordsFindRows()
{
    QFETCH(QString, typed);
    QFETCH(QDate, from);
    QFETCH(QDate, to);
    QFETCH(QStringList, found);
    Window w;
    if (from.isValid())
        control<QDateEdit>(&w.frm, "DtpFrom")->setDate(from);
    if (to.isValid())
        control<QDateEdit>(&w.frm, "DtpTo")->setDate(to);
    w.type(typed);
    QCOMPARE(w.listed(), found);
    QCOMPARE(w.status(), u"検索結果： %1 件"_s.arg(found.size()));

    // A message that arrives while the search is shown joins it when it matches.
    w.clock.set(QDateTime(QDate(2026, 11, 3), QTime(13, 0, 0)));
    QString everything;
    for (const HistoryRow &r : Rows)
        everything += r.sender + r.recipient + r.message + u'\n';
    w.history.logAddRecv(u"新人 "_s, everything);
    w.clock.set(QDateTime(QDate(2026, 12, 20), QTime(13, 0, 0)));
    w.history.logAddRecv(u"別人 "_s, u"関係ない"_s);
    const bool joins = !found.isEmpty() && (!to.isValid() || to >= QDate(2026, 11, 3)) &&
                       (!from.isValid() || from <= QDate(2026, 11, 3));
    QCOMPARE(w.listed().size(), found.size() + (joins ? 1 : 0));
    QCOMPARE(w.status(), u"検索結果： %1 件"_s.arg(w.listed().size()));

    // Esc shows the whole list again, with its count.
    QTest::keyClick(control<QLineEdit>(&w.frm, "TxtFind"), Qt::Key_Escape);
    QCOMPARE(w.listed().size(), 7);
    QCOMPARE(w.status(), u"送受信件数： 7"_s);
    QCOMPARE(control<QLineEdit>(&w.frm, "TxtFind")->text(), QString());
}

void HistorySearchTest::workingOnTheRowsFound()
{
    Window w;
    // While older rows get their terms, the status bar says how far it got.
    w.browser.indexing(250, 1000);
    QCOMPARE(w.status(), u"送受信件数： 5（検索の準備中 25%）"_s);
    w.browser.indexing(1000, 1000);
    QCOMPARE(w.status(), u"送受信件数： 5"_s);
    w.type(u"会議"_s);
    auto *view = control<QAbstractItemView>(&w.frm, "LvLog");
    // The second row found is row 2 of the history; the detail view pages among the found.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(1, 0)).center());
    QCOMPARE(control<QLabel>(&w.frm, "LblFrom")->text(), u"From： 佐藤 "_s);
    QCOMPARE(w.status(), u"送信履歴： 2/2"_s);
    QVERIFY(!control<QPushButton>(&w.frm, "CmdNext")->isEnabled());
    QTest::mouseClick(control<QPushButton>(&w.frm, "CmdBack"), Qt::LeftButton);
    QCOMPARE(control<QLabel>(&w.frm, "LblFrom")->text(), u"From： 鈴木 "_s);
    QCOMPARE(w.status(), u"送受信履歴： 1/2"_s);
    QTest::mouseClick(control<QPushButton>(&w.frm, "CmdOK"), Qt::LeftButton);
    QCOMPARE(w.status(), u"検索結果： 2 件"_s);

    // 保存 writes the rows shown, and the header says they are a search's.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"found.csv"_s);
    w.dialogs.fileNames << path;
    w.browser.save();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(
        cp932::decode(file.readAll()),
        u"\"FileName:dataFile\",#2026-12-08#,#09:00:00#,\"検索結果： 2 件\"\r\n"
        "\"26/11/01\",\"鈴木 \",\"山田\",\"08:00:00\",\"08:01:00\",\"明日の会議室は 3 階です\"\r\n"
        "\"26/11/02\",\"佐藤 \",\"taro\",\"09:00:00\",\"09:01:00\",\"会議の資料、議室の鍵\"\r\n"_s);

    // 履歴ｸﾘｱ empties the whole history, not the rows found, so it asks first.
    w.dialogs.answerNext(Dialogs::No);
    QTest::mouseClick(control<QPushButton>(&w.frm, "CmdClear"), Qt::LeftButton);
    QCOMPARE(w.dialogs.shown.last().text,
             u"検索結果だけでなく、すべての履歴を消去します。よろしいですか？"_s);
    QCOMPARE(w.history.rowCount(), 5);
    w.dialogs.answerNext(Dialogs::Yes);
    QTest::mouseClick(control<QPushButton>(&w.frm, "CmdClear"), Qt::LeftButton);
    QCOMPARE(w.history.rowCount(), 0);
    w.settle();
    QCOMPARE(w.listed(), QStringList{});
}

void HistorySearchTest::theIndexFollowsItsRows_data()
{
    QTest::addColumn<bool>("onDisk");
    QTest::addColumn<QString>("change");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QStringList>("found");
    for (const bool onDisk : {false, true}) {
        const char *where = onDisk ? "on disk" : "in memory";
        QTest::addRow("%s: opened, found by who opened it", where)
            << onDisk << u"open"_s << u"山田"_s << QStringList{Rows[0].message, u"受信一"_s};
        QTest::addRow("%s: closed unread, found by who closed it", where)
            << onDisk << u"discard"_s << u"山田"_s
            << QStringList{Rows[0].message, u"受信一"_s, u"受信二"_s};
        QTest::addRow("%s: a row taken back is not found, nor is the next by its words", where)
            << onDisk << u"drop"_s << u"受信"_s << QStringList{u"受信一"_s};
        QTest::addRow("%s: 履歴ｸﾘｱ leaves nothing to find", where)
            << onDisk << u"clear"_s << u"の"_s << QStringList{};
    }
}

void HistorySearchTest::theIndexFollowsItsRows()
{
    QFETCH(bool, onDisk);
    QFETCH(QString, change);
    QFETCH(QString, typed);
    QFETCH(QStringList, found);
    // On disk a file's rows get their terms on the store's worker; the
    // search finds them before and after.
    QTemporaryDir dir;
    Store store;
    if (onDisk)
        QCOMPARE(store.open(dir.filePath(u"portana.db"_s)), Store::Problem::None);
    else
        store.open({});
    FakeClock clock;
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(9, 0, 0)));
    ScriptedDialogs dialogs;
    HistoryModel history(store, clock, [] { return u"山田 "_s; });
    HistoryBrowser browser(history, clock, dialogs);
    wiring::storeToHistory(store, history);
    wiring::historyToBrowser(history, browser);
    wiring::storeToBrowser(store, browser);
    QVERIFY(addRows(history, Rows));
    history.logAddRecv(u"未開封 "_s, u"受信一"_s);
    history.logAddRecv(u"未開封 "_s, u"受信二"_s);
    if (change == u"open"_s)
        history.logSetOpen(history.keyOf(6));
    else if (change == u"discard"_s)
        history.logSetDiscard();
    else if (change == u"drop"_s) {
        history.dropLast(7);
        history.logAddRecv(u"別人 "_s, u"別件"_s); // it takes the key given back
    } else if (change == u"clear"_s)
        browser.clear();
    const auto search = [&] { return foundMessages(browser, typed); };
    QCOMPARE(search(), found);
    if (!onDisk)
        return;
    // Once the worker has given every row its terms, and the sweep of what left the list.
    QSignalSpy indexed(&store, &Store::indexing);
    const auto pending = [&store] {
        QSqlQuery q(store.db());
        return q.exec(u"SELECT count(*) FROM find_pending"_s) && q.next() ? q.value(0).toInt() : -1;
    };
    while (pending() > 0 && indexed.wait(5000)) {
    }
    QCOMPARE(pending(), 0);
    QCOMPARE(search(), found);
}

void HistorySearchTest::aLongListByKeyboard()
{
    Window w;
    std::vector<HistoryRow> rows;
    for (int i = 1; i <= 20000; ++i)
        rows.push_back(
            {u"26/12/01"_s, u"送%1 "_s.arg(i), u"受"_s, u"10:00:00"_s, u""_s, u"本文 %1"_s.arg(i)});
    QVERIFY(addRows(w.history, rows));
    auto *view = control<QAbstractItemView>(&w.frm, "LvLog");
    view->setFocus();
    QTest::keyClick(view, Qt::Key_End);
    const QModelIndex last = view->currentIndex();
    QCOMPARE(last.row(), 20004);
    QVERIFY(view->viewport()->rect().contains(view->visualRect(last)));
    QTest::keyClick(view, Qt::Key_Return);
    QCOMPARE(control<QLabel>(&w.frm, "LblFrom")->text(), u"From： 送20000 "_s);
    QCOMPARE(w.status(), u"送信履歴： 20005/20005"_s);
    QTest::mouseClick(control<QPushButton>(&w.frm, "CmdOK"), Qt::LeftButton);
    QTest::keyClick(view, Qt::Key_Home);
    QCOMPARE(view->currentIndex().row(), 0);
    QTest::keyClick(view, Qt::Key_PageDown);
    const int page = view->currentIndex().row();
    QVERIFY(page > 1);
    QVERIFY(view->viewport()->rect().contains(view->visualRect(view->currentIndex())));
    // The row under the pointer is the row clicked.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {},
                      view->visualRect(view->model()->index(page, 0)).center());
    QCOMPARE(control<QLabel>(&w.frm, "LblFrom")->text(),
             u"From： 送%1 "_s.arg(page + 1 - int(Rows.size())));
}

void HistorySearchTest::readAloud()
{
    // What a screen reader gets of the list: a table of the rows found,
    // each cell's text, the whole message as its description, and the row
    // the keys move to.
    Window w;
    w.type(u"議室"_s);
    auto *view = control<QAbstractItemView>(&w.frm, "LvLog");
    QAccessibleInterface *list = QAccessible::queryAccessibleInterface(view);
    QCOMPARE(list->role(), QAccessible::Table);
    QAccessibleTableInterface *table = list->tableInterface();
    QVERIFY(table);
    QCOMPARE(table->rowCount(), 2);
    QCOMPARE(table->columnCount(), 6);
    QCOMPARE(table->columnDescription(2), u"受信者"_s);
    const auto row = [table](int r) {
        QStringList cells;
        for (int c = 0; c < table->columnCount(); ++c)
            cells << table->cellAt(r, c)->text(QAccessible::Name);
        return cells;
    };
    QCOMPARE(row(0), (QStringList{u"26/11/01"_s, u"鈴木 "_s, u"山田"_s, u"08:00:00"_s,
                                  u"08:01:00"_s, u"明日の会議室は 3 階です"_s}));
    QCOMPARE(row(1), (QStringList{u"26/11/02"_s, u"佐藤 "_s, u"taro"_s, u"09:00:00"_s,
                                  u"09:01:00"_s, u"会議の資料、議室の鍵"_s}));
    QCOMPARE(table->cellAt(1, 1)->text(QAccessible::Description), u"会議の資料、議室の鍵"_s);
    QCOMPARE(list->childCount(), 12);
    QCOMPARE(list->child(7)->text(QAccessible::Name), u"佐藤 "_s);
    QVERIFY(!table->cellAt(2, 0));

    view->setFocus();
    QTest::keyClick(view, Qt::Key_Home);
    QTest::keyClick(view, Qt::Key_Down);
    QAccessibleInterface *focused = list->focusChild();
    QVERIFY(focused);
    QCOMPARE(focused->tableCellInterface()->rowIndex(), 1);
    QVERIFY(focused->state().focused && focused->state().selected);
    QCOMPARE(table->selectedRows(), QList<int>{1});

    // Another search: the table is the new list.
    w.type(u"Meeting"_s);
    QCOMPARE(table->rowCount(), 1);
    QCOMPARE(table->cellAt(0, 5)->text(QAccessible::Name), u"Meeting OK?"_s);
}

void HistorySearchTest::aFileThatLoadsIsNotSwept()
{
    // 履歴ｸﾘｱ while a file loads: the sweep on its own thread deletes what
    // left the list, never the rows of the file, which come in when it ends.
    QTemporaryDir dir;
    Store store;
    QCOMPARE(store.open(dir.filePath(u"portana.db"_s)), Store::Problem::None);
    FakeClock clock;
    clock.set(QDateTime(QDate(2026, 12, 9), QTime(9, 0, 0)));
    HistoryModel history(store, clock, [] { return u"山田 "_s; });
    wiring::storeToHistory(store, history);
    QVERIFY(addRows(history, {Rows[0], Rows[1]}));
    QVERIFY(history.beginLoad(3, false));
    QVERIFY(history.stage({Rows[2], Rows[3]}));
    const auto stored = [&store] {
        QSqlQuery q(store.db());
        QStringList out;
        if (q.exec(u"SELECT message FROM history ORDER BY key"_s))
            while (q.next())
                out << q.value(0).toString();
        return out;
    };
    QSignalSpy swept(&history, &HistoryModel::swept);
    history.clear();
    // Until the sweep the clear asked for has ended (an earlier one may tell first).
    while (stored().size() > 2 && swept.wait(5000)) {
    }
    QCOMPARE(stored(), (QStringList{Rows[2].message, Rows[3].message}));
    QVERIFY(history.stage({Rows[4]}));
    QVERIFY(history.finishLoad());
    QStringList listed;
    for (int n = 1; n <= history.rowCount(); ++n)
        listed << history.row(n).message;
    QCOMPARE(listed, (QStringList{Rows[2].message, Rows[3].message, Rows[4].message}));
    QCOMPARE(stored(), listed);
}

QTEST_MAIN(HistorySearchTest)
#include "historysearch_test.moc"
