#include "faultyvfs.h"

#include <sqlite3.h>

#include <cstring>
#include <thread>

namespace faultyvfs {
namespace {

sqlite3_vfs *g_real = nullptr;
sqlite3_vfs g_vfs;
sqlite3_io_methods g_methods;
std::thread::id g_owner;
int g_nth = 0;
int g_count = 0;
bool g_struck = false;
Fault g_fault = Fault::Full;

struct File
{
    sqlite3_file base;
    sqlite3_file *real; // placed right after this struct
};

sqlite3_file *real(sqlite3_file *f)
{
    return reinterpret_cast<File *>(f)->real;
}

// The fault, when this write is the one.
int strike(int ioError)
{
    if (g_nth == 0 || g_struck || std::this_thread::get_id() != g_owner)
        return SQLITE_OK;
    if (++g_count < g_nth)
        return SQLITE_OK;
    g_struck = true;
    return g_fault == Fault::Full ? SQLITE_FULL : ioError;
}

int xClose(sqlite3_file *f)
{
    return real(f)->pMethods->xClose(real(f));
}
int xRead(sqlite3_file *f, void *b, int n, sqlite3_int64 o)
{
    return real(f)->pMethods->xRead(real(f), b, n, o);
}
int xWrite(sqlite3_file *f, const void *b, int n, sqlite3_int64 o)
{
    if (const int rc = strike(SQLITE_IOERR_WRITE))
        return rc;
    return real(f)->pMethods->xWrite(real(f), b, n, o);
}
int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    if (const int rc = strike(SQLITE_IOERR_TRUNCATE))
        return rc;
    return real(f)->pMethods->xTruncate(real(f), size);
}
int xSync(sqlite3_file *f, int flags)
{
    if (const int rc = strike(SQLITE_IOERR_FSYNC))
        return rc;
    return real(f)->pMethods->xSync(real(f), flags);
}
int xFileSize(sqlite3_file *f, sqlite3_int64 *size)
{
    return real(f)->pMethods->xFileSize(real(f), size);
}
int xLock(sqlite3_file *f, int l)
{
    return real(f)->pMethods->xLock(real(f), l);
}
int xUnlock(sqlite3_file *f, int l)
{
    return real(f)->pMethods->xUnlock(real(f), l);
}
int xCheckReservedLock(sqlite3_file *f, int *out)
{
    return real(f)->pMethods->xCheckReservedLock(real(f), out);
}
int xFileControl(sqlite3_file *f, int op, void *arg)
{
    return real(f)->pMethods->xFileControl(real(f), op, arg);
}
int xSectorSize(sqlite3_file *f)
{
    return real(f)->pMethods->xSectorSize(real(f));
}
int xDeviceCharacteristics(sqlite3_file *f)
{
    return real(f)->pMethods->xDeviceCharacteristics(real(f));
}
int xShmMap(sqlite3_file *f, int page, int size, int extend, void volatile **p)
{
    return real(f)->pMethods->xShmMap(real(f), page, size, extend, p);
}
int xShmLock(sqlite3_file *f, int offset, int n, int flags)
{
    return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void xShmBarrier(sqlite3_file *f)
{
    real(f)->pMethods->xShmBarrier(real(f));
}
int xShmUnmap(sqlite3_file *f, int deleteFlag)
{
    return real(f)->pMethods->xShmUnmap(real(f), deleteFlag);
}

int xOpen(sqlite3_vfs *, sqlite3_filename name, sqlite3_file *f, int flags, int *outFlags)
{
    auto *file = reinterpret_cast<File *>(f);
    file->real = reinterpret_cast<sqlite3_file *>(file + 1);
    const int rc = g_real->xOpen(g_real, name, file->real, flags, outFlags);
    // Without methods SQLite closes nothing, so neither do we.
    file->base.pMethods = file->real->pMethods ? &g_methods : nullptr;
    return rc;
}

} // namespace

void install()
{
    if (g_real)
        return;
    g_real = sqlite3_vfs_find(nullptr);
    g_vfs = *g_real;
    g_vfs.zName = "faulty";
    g_vfs.szOsFile = int(sizeof(File)) + g_real->szOsFile;
    g_vfs.xOpen = xOpen;
    // Version 2: the shared-memory methods the log needs, no memory mapping.
    g_methods = {2,         xClose,       xRead,        xWrite,   xTruncate,
                 xSync,     xFileSize,    xLock,        xUnlock,  xCheckReservedLock,
                 xFileControl, xSectorSize, xDeviceCharacteristics, xShmMap, xShmLock,
                 xShmBarrier, xShmUnmap,  nullptr,      nullptr};
    sqlite3_vfs_register(&g_vfs, 1);
}

void arm(int nth, Fault fault)
{
    g_owner = std::this_thread::get_id();
    g_nth = nth;
    g_count = 0;
    g_struck = false;
    g_fault = fault;
}

int counted()
{
    return g_count;
}

bool struck()
{
    return g_struck;
}

} // namespace faultyvfs
