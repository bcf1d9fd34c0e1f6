#pragma once

#include "inilayers.h"

#include <QObject>

// Whether an arrival is also told by a desktop notification where the tray
// tells of it already: portana.ini, [notify] withTray (off unless set). An
// office's system-wide file is read first.
class NotifySettings : public QObject
{
    Q_OBJECT
public:
    NotifySettings(QString userFile, QStringList systemFiles, QObject *parent = nullptr);

    bool withTray() const { return m_withTray; }
    // False when it could not be written (it is in force all the same, and
    // the next OK writes it again).
    bool setWithTray(bool on);

private:
    IniLayers m_files;
    bool m_withTray = false;
    bool m_saved = true;
};
