// The straightforward ways that the program's loading, sorting, lookup and
// description scan are checked and measured against: record-at-a-time reads
// through CurrentRecord, the straight insertion sort, the linear walk from
// entry 0, the matching rule applied one record at a time.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "records/description_scan.h"
#include "store/store_state.h"

// Sorts the first `count` entries by straight insertion: ascending by number,
// equal numbers in the order they came.
void InsertionSort(IndexEntry* entries, int64_t count);
// Builds NumberIndex, PrefixTable and the counts from DataPath as the
// loading does, reading one 1874-byte record at a time and sorting by
// straight insertion. False when the file cannot be used.
bool ReferenceLoad();
// The walk by number, entry by entry from entry 0: where it stops.
int64_t ReferenceWalk(int64_t target);
// Whether a record's Description matches `pattern` (at least two characters;
// "?" matches any byte), the first two bytes taken from the record itself.
bool MatchesPattern(const char* pattern, const uint8_t* record);
// Writes `record` straight into slot `slot` of DataPath and pushes it to the
// medium, without a journal: the write that a journalled one is measured
// against.
bool PlainWriteSlot(int64_t slot, const InventoryRecord& record);
// The description scan from CurrentSlot with one positioned 1874-byte read
// per slot that passes the prefix step.
ScanOutcome ReferenceScan(InventoryFile& file);
