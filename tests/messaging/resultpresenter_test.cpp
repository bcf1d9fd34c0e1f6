// What the sender is shown of a peer's answer: which result window, with
// what text, as the confirmation settings say (the delivery, opening and
// discard windows are driven end to end in program_test).
#include "fakes.h"
#include "optsettings.h"
#include "resultpresenter.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::Literals::StringLiterals;

class ResultPresenterTest : public QObject
{
    Q_OBJECT
private slots:
    void answerShows_data();
    void answerShows();
};

namespace {

// What the sender is shown, by window and text; "" when nothing.
struct Shown
{
    explicit Shown(ResultPresenter &r)
        : send(&r, &ResultPresenter::sendResultShown), read(&r, &ResultPresenter::readResultShown),
          small(&r, &ResultPresenter::smallResultShown)
    {
    }
    QString text() const
    {
        QStringList out;
        for (const auto &args : send)
            out << u"FrmSndOK "_s + args[0].toString() + u" To "_s + args[1].toString();
        for (const auto &args : read)
            out << u"FrmRcvOK "_s + args[0].toString() + u" From "_s +
                       args[1].value<wire::Name>().shortName;
        out << QStringList(small.size(), u"FrmSROK"_s);
        return out.join(u" + "_s);
    }
    QSignalSpy send, read, small;
};

} // namespace

void ResultPresenterTest::answerShows_data()
{
    QTest::addColumn<QString>("answer"); // delivered, refused, open, hold, discard
    QTest::addColumn<bool>("confirm");   // sndConfirm or rcvConfirm
    QTest::addColumn<bool>("small");     // sndConfirmMin or rcvConfirmMin
    QTest::addColumn<QString>("shows");
    QTest::addRow("delivered, not asked") << u"delivered"_s << false << true << QString();
    QTest::addRow("refused: shown whatever is asked, under the last name")
        << u"refused"_s << false << true << u"FrmSndOK あなたのﾒｯｾｰｼﾞは拒否されました。 To 鈴木 "_s;
    QTest::addRow("held") << u"hold"_s << true << false
                          << u"FrmRcvOK メッセージは返信保留されています。 From 佐藤 "_s;
    QTest::addRow("opened, small") << u"open"_s << true << true << u"FrmSROK"_s;
    QTest::addRow("opened, not asked") << u"open"_s << false << false << QString();
}

void ResultPresenterTest::answerShows()
{
    QFETCH(QString, answer);
    QFETCH(bool, confirm);
    QFETCH(bool, small);
    QFETCH(QString, shows);
    OptSettings settings;
    FakeClock clock;
    ResultPresenter r(settings, clock);
    settings.sndConfirm = false; // the name a refusal shows under, first
    r.delivered({u"鈴木 一郎"_s + sp(15), u"鈴木 "_s, false});
    settings.sndConfirm = settings.rcvConfirm = confirm;
    settings.sndConfirmMin = settings.rcvConfirmMin = small;
    const wire::Name name{u"佐藤 花子"_s + sp(15), u"佐藤 "_s, false};
    Shown shown(r);
    if (answer == u"delivered"_s)
        r.delivered(name);
    else if (answer == u"refused"_s)
        r.refused();
    else
        r.answered(answer == u"open"_s   ? wire::Kind::OpenConfirm
                   : answer == u"hold"_s ? wire::Kind::Hold
                                         : wire::Kind::Discard,
                   name);
    QCOMPARE(shown.text(), shows);
}

QTEST_MAIN(ResultPresenterTest)
#include "resultpresenter_test.moc"
