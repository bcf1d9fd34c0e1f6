#include "faultyvfs.h"

#include <sqlite3.h>

#include <atomic>
#include <cstring>
#include <thread>

namespace faultyvfs {
namespace {

sqlite3_vfs *g_real = nullptr;
sqlite3_vfs g_vfs;
sqlite3_io_methods g_methods;
std::thread::id g_owner;
bool g_others = false;
std::atomic<int> g_nth{0};
std::atomic<int> g_count{0};
std::atomic<bool> g_struck{false};
std::atomic<Fault> g_fault{Fault::Full};

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
    if (g_nth == 0 || g_struck || (std::this_thread::get_id() == g_owner) == g_others)
        return SQLITE_OK;
    if (++g_count != g_nth)
        return SQLITE_OK;
    if (g_struck.exchange(true))
        return SQLITE_OK;
    return g_fault == Fault::Full ? SQLITE_FULL : ioError;
}

// Every other method goes to the wrapped file as it is.
template <auto Method, typename... Args> auto forward(sqlite3_file *f, Args... args)
{
    return (real(f)->pMethods->*Method)(real(f), args...);
}

int xWrite(sqlite3_file *f, const void *b, int n, sqlite3_int64 o)
{
    if (const int rc = strike(SQLITE_IOERR_WRITE))
        return rc;
    return forward<&sqlite3_io_methods::xWrite>(f, b, n, o);
}
int xTruncate(sqlite3_file *f, sqlite3_int64 size)
{
    if (const int rc = strike(SQLITE_IOERR_TRUNCATE))
        return rc;
    return forward<&sqlite3_io_methods::xTruncate>(f, size);
}
int xSync(sqlite3_file *f, int flags)
{
    if (const int rc = strike(SQLITE_IOERR_FSYNC))
        return rc;
    return forward<&sqlite3_io_methods::xSync>(f, flags);
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
    using M = sqlite3_io_methods;
    g_methods = {2,
                 forward<&M::xClose>,
                 forward<&M::xRead>,
                 xWrite,
                 xTruncate,
                 xSync,
                 forward<&M::xFileSize>,
                 forward<&M::xLock>,
                 forward<&M::xUnlock>,
                 forward<&M::xCheckReservedLock>,
                 forward<&M::xFileControl>,
                 forward<&M::xSectorSize>,
                 forward<&M::xDeviceCharacteristics>,
                 forward<&M::xShmMap>,
                 forward<&M::xShmLock>,
                 forward<&M::xShmBarrier>,
                 forward<&M::xShmUnmap>,
                 nullptr,
                 nullptr};
    sqlite3_vfs_register(&g_vfs, 1);
}

void arm(int nth, Fault fault)
{
    g_nth = 0;
    g_owner = std::this_thread::get_id();
    g_others = false;
    g_count = 0;
    g_struck = false;
    g_fault = fault;
    g_nth = nth;
}

void armOthers(int nth, Fault fault)
{
    arm(0, fault);
    g_others = true;
    g_nth = nth;
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
