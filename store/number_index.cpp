#include "store/number_index.h"

#include <algorithm>
#include <cstring>

void SortNumberIndex(IndexEntry* entries, int64_t count) {
  if (count < 2) return;
  const auto before = [](const IndexEntry& a, const IndexEntry& b) {
    return a.number != b.number ? a.number < b.number : a.slot < b.slot;
  };
  IndexEntry* end = entries + count;
  if (std::is_sorted(entries, end, before)) return;  // files kept in number order
  std::sort(entries, end, before);
}

int64_t WalkNumberIndex(int64_t target) {
  IndexEntry* end = NumberIndex + IndexedSlots;
  IndexEntry* stop = std::lower_bound(
      NumberIndex, end, target, [](const IndexEntry& e, int64_t t) { return e.number < t; });
  return stop - NumberIndex;
}

int64_t FindSlotByNumber(int64_t target) {
  const int64_t at = WalkNumberIndex(target);
  return at < IndexedSlots && NumberIndex[at].number == target ? NumberIndex[at].slot : -1;
}

bool MoveToDeletedRun(int64_t number, int64_t slot) {
  if (number <= 0) return false;
  IndexEntry* end = NumberIndex + IndexedSlots;
  // The deleted run: every -1 entry stands before the first live one.
  IndexEntry* live = std::lower_bound(NumberIndex, end, int64_t{0},
                                      [](const IndexEntry& e, int64_t t) { return e.number < t; });
  // Live entries keep the (number, slot) order they were loaded in.
  IndexEntry* entry = std::lower_bound(live, end, IndexEntry{number, slot},
                                       [](const IndexEntry& e, const IndexEntry& t) {
                                         return e.number != t.number ? e.number < t.number
                                                                     : e.slot < t.slot;
                                       });
  if (entry == end || entry->number != number || entry->slot != slot) return false;
  std::memmove(live + 1, live, static_cast<size_t>(entry - live) * sizeof(IndexEntry));
  *live = IndexEntry{kDeletedNumber, slot};
  return true;
}
