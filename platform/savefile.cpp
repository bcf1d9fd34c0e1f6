#include "savefile.h"

#include "fileerror.h"

#include <QSaveFile>

namespace savefile {

Outcome save(const QString &path, const QByteArray &bytes, Dialogs &dialogs,
             const Dialogs::Box &diskFull, QFileDevice::Permissions permissions)
{
    for (;;) {
        QSaveFile file(path);
        bool ok = file.open(QIODevice::WriteOnly);
        if (ok && permissions)
            ok = file.setPermissions(permissions);
        // Qt's commit() reports success when its own last flush finds the
        // disk full, and then puts an empty file in place of the good one:
        // the flush happens here, where its failure can still be seen.
        if (ok)
            ok = file.write(bytes) == bytes.size() && file.flush() &&
                 file.error() == QFileDevice::NoError;
        if (ok && file.commit())
            return {Result::Saved, {}};
        const bool full = file.error() == QFileDevice::ResourceError; // no space left
        qWarning("portana: %s not saved: %s", qUtf8Printable(path),
                 qUtf8Printable(file.errorString()));
        const QString error = fileerror::saveReason(path, file.error());
        file.cancelWriting();
        if (!full)
            return {Result::Failed, error};
        if (dialogs.messageBox(diskFull) != Dialogs::Retry)
            return {Result::Cancelled, error};
    }
}

} // namespace savefile
