#pragma once

#include "inilayers.h"
#include "inioptions.h"

#include <QObject>
#include <QSet>

// portana.ini: the options of inioptions, each read from the most important
// file that holds a value of it (the user's own, then the system-wide files
// an office hands out), and written into the user's file when it changes.
class PortanaIni : public QObject
{
    Q_OBJECT
public:
    static constexpr const char *FileName = IniLayers::FileName;

    // systemFiles: most important first, as XDG_CONFIG_DIRS lists them.
    PortanaIni(QString userFile, QStringList systemFiles, QObject *parent = nullptr);

    const IniOptions &options() const { return m_options; }
    // Puts edited in force and writes each option that differs from the one
    // in force, or whose last write failed. Returns what could not be saved,
    // as the user is to be told it; those are in force all the same, and
    // the next commit writes them again.
    QStringList commit(const IniOptions &edited);

signals:
    // An option in force changed.
    void changed();

private:
    IniLayers m_files;
    IniOptions m_options;
    QSet<QString> m_unsaved; // keys
};
