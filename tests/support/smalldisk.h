#pragma once

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <unistd.h>

// A small tmpfs (64 KiB unless told) mounted for one test (root only), to
// save onto a disk that is really full, or one that is read-only.
class SmallDisk
{
public:
    explicit SmallDisk(const QString &size = QStringLiteral("64k"))
    {
        m_mounted = ::geteuid() == 0 &&
                    run({QStringLiteral("-t"), QStringLiteral("tmpfs"), QStringLiteral("-o"),
                         QStringLiteral("size=") + size, QStringLiteral("tmpfs"), m_dir.path()});
    }
    ~SmallDisk()
    {
        if (m_mounted)
            QProcess::execute(QStringLiteral("umount"), {QStringLiteral("-l"), m_dir.path()});
    }
    bool mounted() const { return m_mounted; }
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString folder() const { return m_dir.path(); }

    // Fills what is left; free() gives it back.
    void fill()
    {
        QFile f(path(QStringLiteral("filler")));
        if (!f.open(QIODevice::WriteOnly))
            return;
        while (f.write(QByteArray(4096, 'x')) > 0 && f.flush()) {
        }
    }
    void free() { QFile::remove(path(QStringLiteral("filler"))); }
    bool readOnly()
    {
        return run({QStringLiteral("-o"), QStringLiteral("remount,ro"), m_dir.path()});
    }

private:
    static bool run(const QStringList &args)
    {
        return QProcess::execute(QStringLiteral("mount"), args) == 0;
    }

    QTemporaryDir m_dir;
    bool m_mounted = false;
};
