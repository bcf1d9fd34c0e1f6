#include "passwordgate.h"

#include "optsettings.h"

namespace {

const QString ProgramName = QStringLiteral("ぽるとな～");
const QString ErrorTitle = QStringLiteral("ｴﾗｰ確認");
const QString DoneTitle = QStringLiteral("確認");

Dialogs::Box error(const QString &text)
{
    return {text, ErrorTitle, Dialogs::Icon::Critical, Dialogs::Buttons::Ok, Dialogs::Ok};
}

Dialogs::Box done(const QString &text)
{
    return {text, DoneTitle, Dialogs::Icon::Information, Dialogs::Buttons::Ok, Dialogs::Ok};
}

} // namespace

bool PasswordGate::isOn() const
{
    return m_settings.pwCheck;
}

bool PasswordGate::requestMessage(quint64 entry)
{
    if (!isOn() || m_granted == entry)
        return true;
    m_mode = Mode::Message;
    m_askedFor = entry;
    return false;
}

void PasswordGate::endGrant()
{
    m_askedFor.reset();
    m_granted.reset();
}

bool PasswordGate::requestHistory()
{
    if (!isOn())
        return true;
    m_mode = Mode::History;
    return false;
}

PasswordGate::Verdict PasswordGate::check(const QString &typed)
{
    if (typed.isEmpty())
        return Verdict::Empty;
    if (typed != m_settings.pwStored)
        return Verdict::Wrong;
    if (m_mode == Mode::History)
        return Verdict::History;
    m_granted = m_askedFor; // nothing, when the window it was asked from went away
    return Verdict::Message;
}

Dialogs::Box PasswordGate::refusal(Verdict verdict)
{
    return {verdict == Verdict::Empty ? QStringLiteral("ﾊﾟｽﾜｰﾄﾞを入力してください。")
                                      : QStringLiteral("ﾊﾟｽﾜｰﾄﾞが違います。"),
            ProgramName, Dialogs::Icon::Exclamation, Dialogs::Buttons::Ok, Dialogs::Ok};
}

namespace passwordpage {

Enable pwEnable(bool ticked, bool passwordExists)
{
    Enable e;
    if (ticked) {
        e.newEnabled = true;
        if (passwordExists)
            e.currentEnabled = true;
        else
            e.clearCurrent = true;
    } else {
        e.currentEnabled = passwordExists;
    }
    return e;
}

Outcome apply(int tick, const QString &stored, const QString &current, const QString &fresh)
{
    Outcome o{std::nullopt, stored, current, fresh};
    if (tick != 1 && stored.isEmpty() && current.isEmpty() && fresh.isEmpty())
        return o;
    if (current != stored) {
        o.box = error(QStringLiteral("現ﾊﾟｽﾜｰﾄﾞが誤っています。"));
        o.enableCurrent = true;
        o.focus = Focus::Current;
        if (tick == 1)
            o.fresh.clear();
        return o;
    }
    if (tick == 1) {
        if (fresh.isEmpty()) {
            o.box = error(QStringLiteral("新ﾊﾟｽﾜｰﾄﾞを入力してください。"));
            o.focus = Focus::New;
        } else if (fresh.contains(u'"')) {
            // The settings file cannot hold a double quote: the password
            // read back after a restart would differ and lock the user out.
            o.box = error(QStringLiteral("ﾊﾟｽﾜｰﾄﾞに \" は使えません。"));
            o.focus = Focus::New;
        } else {
            o.box = done(QStringLiteral("ﾊﾟｽﾜｰﾄﾞは設定されました。"));
            o.stored = fresh;
            o.current.clear();
            o.fresh.clear();
            o.save = true;
        }
        return o;
    }
    if (!fresh.isEmpty()) {
        o.box = error(QStringLiteral("ｽﾍﾟｰｽを入力してください。"));
        o.focus = Focus::New;
        return o;
    }
    o.box = done(QStringLiteral("ﾊﾟｽﾜｰﾄﾞは解除されました。"));
    o.stored.clear();
    o.current.clear();
    o.fresh.clear();
    o.disableBoth = true;
    o.save = true;
    return o;
}

} // namespace passwordpage
