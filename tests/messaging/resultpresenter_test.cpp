// The sender-side result windows: which one shows a peer's answer, with
// what text, as the confirmation settings say (the delivery, opening and
// discard windows are driven end to end in program_test).
#include "fakes.h"
#include "frmrcvok.h"
#include "frmsndok.h"
#include "frmsrok.h"
#include "optsettings.h"
#include "resultpresenter.h"

#include <QApplication>
#include <QLabel>
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

// The result window on screen and its text; "" when none.
QString shown(ResultPresenter &r)
{
    const auto text = [](QWidget *w, const char *label) {
        return w->findChild<QLabel *>(QLatin1String(label))->text();
    };
    QStringList out;
    if (r.sndOk() && r.sndOk()->isVisible())
        out << u"FrmSndOK "_s + text(r.sndOk(), "Label1") + u' ' + r.sndOk()->windowTitle();
    if (r.rcvOk() && r.rcvOk()->isVisible())
        out << u"FrmRcvOK "_s + text(r.rcvOk(), "Label1") + u' ' + r.rcvOk()->windowTitle();
    if (r.srOk() && r.srOk()->isVisible())
        out << u"FrmSROK"_s;
    return out.join(u" + "_s);
}

} // namespace

void ResultPresenterTest::answerShows_data()
{
    QTest::addColumn<QString>("answer"); // delivered, refused, open, hold, discard
    QTest::addColumn<bool>("confirm");   // sndConfirm or rcvConfirm
    QTest::addColumn<bool>("small");     // sndConfirmMin or rcvConfirmMin
    QTest::addColumn<QString>("shows");
    const QString from = u"From 鈴木 一郎"_s + sp(15);
    QTest::addRow("delivered, not asked") << u"delivered"_s << false << true << QString();
    QTest::addRow("refused: shown whatever is asked, under the last name")
        << u"refused"_s << false << true
        << u"FrmSndOK あなたのﾒｯｾｰｼﾞは拒否されました。 To 鈴木 "_s;
    QTest::addRow("held") << u"hold"_s << true << false
                          << u"FrmRcvOK メッセージは返信保留されています。 "_s + from;
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
    const wire::Name name{u"鈴木 一郎"_s + sp(15), u"鈴木 "_s, false};
    if (answer == u"delivered"_s)
        r.delivered(name);
    else if (answer == u"refused"_s)
        r.refused();
    else
        r.answered(answer == u"open"_s   ? wire::Kind::OpenConfirm
                   : answer == u"hold"_s ? wire::Kind::Hold
                                         : wire::Kind::Discard,
                   name);
    QCOMPARE(shown(r), shows);
}

QTEST_MAIN(ResultPresenterTest)
#include "resultpresenter_test.moc"
