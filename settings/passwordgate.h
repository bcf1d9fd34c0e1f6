#pragma once

#include "dialogs.h"

#include <QString>
#include <optional>

struct OptSettings;

// The password that guards received messages and the history. The password
// window asks without blocking, and the caller learns of a grant on the next
// try. A grant opens the one message it was asked for, once, and lives only
// in memory: it never opens the history and never reaches the settings file.
class PasswordGate
{
public:
    enum class Mode { History = 1, Message = 2 };
    enum class Verdict { Empty, Wrong, History, Message };

    explicit PasswordGate(const OptSettings &settings) : m_settings(settings) {}

    bool isOn() const;
    // OPEN on closed message `entry`: true when it may open now (gate off,
    // or granted for that entry). Otherwise the gate mode is set and the
    // password window is to be shown.
    bool requestMessage(quint64 entry);
    // The body was opened or closed, or the window went out of sight: a
    // grant, or one being asked for, is gone.
    void endGrant();
    // The history: true when it may open now; otherwise ask.
    bool requestHistory();

    // OK in the password window. A right password grants one opening of
    // the message it was asked for or, for the history, opens it at once.
    Verdict check(const QString &typed);
    // The box each refusal shows.
    static Dialogs::Box refusal(Verdict verdict);

private:
    const OptSettings &m_settings;
    Mode m_mode = Mode::Message;
    std::optional<quint64> m_askedFor;
    std::optional<quint64> m_granted;
};

// The password page of the options dialog, as logic: which boxes can be
// used, and what OK does with what was typed.
namespace passwordpage {

struct Enable
{
    bool clearCurrent = false;
    std::optional<bool> currentEnabled; // nothing: left as it is
    bool newEnabled = false;
};
// PwEnable: ticked and whether a password is in force.
Enable pwEnable(bool ticked, bool passwordExists);

enum class Focus { None, Current, New };

struct Outcome
{
    std::optional<Dialogs::Box> box;
    // The page afterwards.
    QString stored, current, fresh;
    bool disableBoth = false;   // both entry boxes disabled
    bool enableCurrent = false; // the current-password box enabled
    Focus focus = Focus::None;
    // Gather the page into the settings and save them.
    bool save = false;
};

// The password action with the tick state of ChkPw1 (0 or 1; 2, the
// grayed state older copies showed, counts as unticked) and the three boxes: S in force,
// K current, N new.
Outcome apply(int tick, const QString &stored, const QString &current, const QString &fresh);

} // namespace passwordpage
