#pragma once

#include "inilayers.h"

#include <QObject>

// How long the history is kept: everything (unless set), the last N days,
// or the last N rows. portana.ini, [history] keep=all|days|rows and
// count=N; an office's system-wide file is read first.
class KeepSettings : public QObject
{
    Q_OBJECT
public:
    enum class Keep { All, Days, Rows };
    struct Rule
    {
        Keep keep = Keep::All;
        int count = 0; // days or rows, at least 1
        bool operator==(const Rule &) const = default;
    };

    KeepSettings(QString userFile, QStringList systemFiles, QObject *parent = nullptr);

    Rule rule() const { return m_rule; }
    // False when it could not be written (it is in force all the same, and
    // the next OK writes it again).
    bool setRule(const Rule &rule);

signals:
    void changed();

private:
    IniLayers m_files;
    Rule m_rule;
    bool m_saved = true;
};
