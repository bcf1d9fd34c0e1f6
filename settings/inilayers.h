#pragma once

#include <QString>
#include <QStringList>
#include <functional>

class QSettings;

// portana.ini as it reaches this copy: the system-wide files an office
// hands out, and the user's own file beside the settings file, which
// overrides them key by key once the user saves.
class IniLayers
{
public:
    static constexpr char FileName[] = "portana.ini";

    // systemFiles: most important first, as XDG_CONFIG_DIRS lists them.
    IniLayers(QString userFile, QStringList systemFiles);

    // Gives reader each file in turn, most important first, until it reads
    // one (returns true); false when none did.
    bool read(const std::function<bool(QSettings &)> &reader) const;
    // Writes into the user's file; false when it could not be written.
    bool write(const std::function<void(QSettings &)> &writer) const;

private:
    QString m_userFile;
    QStringList m_systemFiles;
};
