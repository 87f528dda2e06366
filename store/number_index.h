// Sorting and walking NumberIndex.
#pragma once

#include <cstdint>

#include "store/store_state.h"

// Sorts the first `count` entries ascending by number; equal numbers keep
// their order. Opendata hands the entries over in slot order, and for that
// input the stable order is the order by (number, slot): a radix sort in the
// array's own memory reaches it in linear time, an in-place O(n log n) sort
// where the keys are too wide for that; neither takes memory beyond the
// array, as a merge sort would.
void SortNumberIndex(IndexEntry* entries, int64_t count);

// The order of NumberIndex's used entries, the one place it is spelled: by
// number, and by slot among equal numbers.
inline bool InIndexOrder(const IndexEntry& a, const IndexEntry& b) {
  return a.number != b.number ? a.number < b.number : a.slot < b.slot;
}

// Where the walk by number stops: the first used entry whose number is
// greater than or equal to `target`, or the first zero entry after the used
// ones. The target is found when the entry there holds it. The used entries
// are sorted, so a bisection finds it, the linear walk's answer.
int64_t FirstEntryAtOrAbove(int64_t target);

// The slot that holds `target`, or -1 when the walk does not find it.
int64_t FindSlotByNumber(int64_t target);
// How many slots hold `target`: lookups find only the first of them.
int64_t CountSlotsOfNumber(int64_t target);

// After slot `slot`, holding live number `number`, was written in the deleted
// form: its entry leaves the live part and becomes the last entry of the
// deleted run at the front; every other entry keeps its order. False, and
// nothing moves, when `number` is not positive or no entry holds (number,
// slot). Only the used entries are ever looked at.
bool MoveToDeletedRun(int64_t number, Slot slot);
