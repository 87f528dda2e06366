#include "store/number_index.h"

#include <algorithm>

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
