#pragma once

// An SQLite file system that fails one write on purpose: it wraps the
// system's own and becomes the default of every connection in the process
// (Qt's driver uses the same library). Only the thread that armed it is
// counted, or only the others, so the work of one never shifts the count
// of the other.
namespace faultyvfs {

enum class Fault { Full, IoError };

// Once per process.
void install();
// The nth write, sync or truncation from now fails with fault (0: none),
// counting those of this thread, or with armOthers those of every other
// thread (the store's worker).
void arm(int nth, Fault fault);
void armOthers(int nth, Fault fault);
// Writes counted since arm(); whether the fault has struck.
int counted();
bool struck();

} // namespace faultyvfs
