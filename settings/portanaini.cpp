#include "portanaini.h"

#include "inivalue.h"

#include <QSettings>
#include <functional>
#include <vector>

PortanaIni::PortanaIni(QString userFile, QStringList systemFiles, QObject *parent)
    : QObject(parent), m_files(std::move(userFile), std::move(systemFiles))
{
#define PORTANA_READ_INI_OPTION(type, name, fallback, key, unsaved)                                \
    m_files.read([this](QSettings &ini) {                                                          \
        return inivalue::read(ini, QStringLiteral(key), m_options.name);                           \
    });
    PORTANA_INI_OPTIONS(PORTANA_READ_INI_OPTION)
#undef PORTANA_READ_INI_OPTION
}

QStringList PortanaIni::commit(const IniOptions &edited)
{
    std::vector<std::function<void(QSettings &)>> writes;
    QStringList keys;
    QStringList unsaved;
    bool differs = false;
#define PORTANA_WRITE_INI_OPTION(type, name, fallback, key, text)                                  \
    if (!(edited.name == m_options.name) || m_unsaved.contains(QStringLiteral(key))) {             \
        differs = differs || !(edited.name == m_options.name);                                     \
        writes.push_back([&edited](QSettings &ini) {                                               \
            inivalue::write(ini, QStringLiteral(key), edited.name);                                \
        });                                                                                        \
        keys << QStringLiteral(key);                                                               \
        unsaved << QStringLiteral(text);                                                           \
    }
    PORTANA_INI_OPTIONS(PORTANA_WRITE_INI_OPTION)
#undef PORTANA_WRITE_INI_OPTION
    const bool saved = writes.empty() || m_files.write([&writes](QSettings &ini) {
        for (const auto &write : writes)
            write(ini);
    });
    m_options = edited;
    for (const QString &key : keys) {
        if (saved)
            m_unsaved.remove(key);
        else
            m_unsaved.insert(key);
    }
    if (differs)
        emit changed();
    return saved ? QStringList() : unsaved;
}
