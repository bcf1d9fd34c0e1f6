#pragma once

// The count a dock or task manager shows on the program's launcher, where
// there may be no tray to show that messages wait.
class LauncherBadge
{
public:
    virtual ~LauncherBadge() = default;
    // 0 takes the count away.
    virtual void show(int count) = 0;
};
