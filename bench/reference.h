// The straightforward versions that the program's loading, lookup and
// description scan are measured against: record-at-a-time reads through
// CurrentRecord, the straight insertion sort, the linear walks. Benchmarks
// only.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "records/lookup.h"

// Builds NumberIndex, PrefixTable and the counts from DataPath as the
// loading does, reading one 1874-byte record at a time and sorting by
// straight insertion. False when the file cannot be used.
bool ReferenceLoad();
// The walk by number, entry by entry from entry 0.
int64_t ReferenceWalk(int64_t target);
// The description scan from CurrentSlot with one positioned 1874-byte read
// per candidate slot.
ScanOutcome ReferenceScan(platform::FileRef file);
