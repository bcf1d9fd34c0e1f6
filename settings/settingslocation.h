#pragma once

#include <QString>

// Where optGFile.dat is read and saved. It lives in the user's configuration
// folder; a copy standing beside the executable makes a portable install,
// read and saved there while that folder can be written. Nothing is ever
// saved beside an executable under /usr.
struct SettingsLocation
{
    QString readPath;    // may not exist yet
    QString writeFolder; // where every save goes
    // Read from beside the executable, saved in the configuration folder
    // from now on (the user is told once).
    bool moved = false;
};

// programFolder may be empty: no portable copy is looked for.
SettingsLocation locateSettings(const QString &programFolder, const QString &configFolder);
