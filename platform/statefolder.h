#pragma once

#include <QString>

// Where this user's program keeps what it must not lose between runs (the
// history and the waiting messages): $XDG_STATE_HOME/portana, by default
// ~/.local/state/portana.
QString stateFolder();
