#pragma once

#include "inilayers.h"

#include <QObject>
#include <QStringList>

// The search targets beyond the subnets, from portana.ini ([search],
// targets: a comma-separated list). A system-wide file is read first, so an
// office can hand the list out; the user's own file, beside the settings
// file, overrides it once the user saves a list.
class SearchSettings : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *FileName = IniLayers::FileName;

    // systemFiles: most important first, as XDG_CONFIG_DIRS lists them.
    SearchSettings(QString userFile, QStringList systemFiles, QObject *parent = nullptr);

    QStringList targets() const { return m_targets; }
    // Reads the files again.
    void read();
    // Saves the user's list; false when it could not be written (the list
    // is in force all the same).
    bool setTargets(const QStringList &targets);

private:
    IniLayers m_files;
    QStringList m_targets;
    bool m_saved = true; // the list in force is the one in the user's file
};
