#pragma once

#include "launcherbadge.h"

// The com.canonical.Unity.LauncherEntry signal on the session bus, which
// GNOME's docks and KDE's task manager read. Sent only when the count changes.
class DBusLauncherBadge final : public LauncherBadge
{
public:
    void show(int count) override;

private:
    int m_shown = 0;
};
