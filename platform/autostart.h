#pragma once

#include <QString>

// Starting the program at login: the user's XDG autostart entry
// (<config>/autostart/jp.portana.Portana.desktop). It is kept only as that
// entry, never in the settings file.
class Autostart
{
public:
    // folder: the autostart folder; program: the executable the entry starts.
    Autostart(QString folder, QString program);

    bool isEnabled() const;
    // Writes or removes the entry; empty when done, otherwise why not (Japanese).
    QString setEnabled(bool enabled);
    QString entryPath() const;

private:
    QString m_folder;
    QString m_program;
};
