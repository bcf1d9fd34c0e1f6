#pragma once

#include "optsettings.h"
#include "settingslocation.h"

#include <QObject>
#include <QString>
#include <functional>
#include <optional>

class Dialogs;

// OptSettings and its file: read once at start-up, written whole on every
// change.
class SettingsStore : public QObject
{
    Q_OBJECT
public:
    // random10 gives 0 to 9, uniformly; the default draws from the system.
    SettingsStore(SettingsLocation location, Dialogs &dialogs, std::function<int()> random10 = {});
    // Read and saved in folder.
    SettingsStore(const QString &folder, Dialogs &dialogs, std::function<int()> random10 = {})
        : SettingsStore(locateSettings({}, folder), dialogs, std::move(random10))
    {
    }

    OptSettings &settings() { return m_settings; }
    const OptSettings &settings() const { return m_settings; }
    // Where the settings are saved.
    QString filePath() const;

    // Fills the record from the file or the defaults. Returns the icon set to
    // apply when a file was read (it may name no set), nothing otherwise.
    std::optional<int> rdOptSub(const QString &windowFontName);

    // Writes the whole record; false (after telling the user) when it was
    // not saved. The earlier file is then whole.
    bool optWrite();
    // Puts an edited copy in force, tells changed(), and writes it; false as
    // optWrite (the copy is in force all the same).
    bool commit(const OptSettings &edited);

signals:
    // Settings were put in force by commit.
    void changed();

private:
    bool keepForeignFileAside();

    SettingsLocation m_location;
    Dialogs &m_dialogs;
    std::function<int()> m_random10;
    OptSettings m_settings;
    bool m_keepForeignFile = false;
    bool m_tellMoved = false;
};
