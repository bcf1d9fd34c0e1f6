#pragma once

// The window thread's batches come before the store's work in the
// background (the indexer, the merging of the index): SQLite's wait for the
// write lock is a poll, which a thread that writes again at once can win
// every time. A background writer lets a waiting batch go first.
namespace writegate {

// Around the window thread's wait for the write lock.
void foregroundWaits();
void foregroundHasIt();
// Before a background transaction: returns once no batch waits (or after
// a while, so that the background is never starved either).
void yieldToForeground();

} // namespace writegate
