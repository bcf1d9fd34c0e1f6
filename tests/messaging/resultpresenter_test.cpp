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
QString shown(const QSignalSpy &spy)
{
    QStringList out;
    for (const auto &args : spy) {
        const auto r = args[0].value<SenderResult>();
        switch (r.window) {
        case SenderResult::Window::Send:
            out << u"FrmSndOK "_s + r.label + u" To "_s + r.peerName;
            break;
        case SenderResult::Window::Read:
            out << u"FrmRcvOK "_s + r.label + u" From "_s + r.reader.shortName;
            break;
        case SenderResult::Window::Small:
            out << u"FrmSROK"_s;
            break;
        }
    }
    return out.join(u" + "_s);
}

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
    QSignalSpy results(&r, &ResultPresenter::resultShown);
    if (answer == u"delivered"_s)
        r.delivered(name);
    else if (answer == u"refused"_s)
        r.refused();
    else
        r.answered(answer == u"open"_s   ? wire::Kind::OpenConfirm
                   : answer == u"hold"_s ? wire::Kind::Hold
                                         : wire::Kind::Discard,
                   name);
    QCOMPARE(shown(results), shows);
}

QTEST_MAIN(ResultPresenterTest)
#include "resultpresenter_test.moc"
