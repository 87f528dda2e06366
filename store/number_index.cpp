#include "store/number_index.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

namespace {

int BitsFor(uint64_t value) {
  int bits = 0;
  while (bits < 64 && (value >> bits) != 0) ++bits;
  return bits;
}

// Sorts by number, keeping the order of equal numbers, with a least-
// significant-digit radix sort over 64-bit keys (number - smallest, then
// slot) that live in the index array itself: its first half holds the keys,
// its second half is the scratch of every pass, so no memory is taken beyond
// the array. The slot only rides along: the passes cover the number's bits
// alone, and each pass keeps the order it was given. False, with nothing
// changed, when number span and slot together need more than 64 bits.
bool RadixSort(IndexEntry* entries, int64_t count) {
  int64_t smallest = entries[0].number, largest = entries[0].number;
  int64_t firstSlot = entries[0].slot, lastSlot = entries[0].slot;
  for (int64_t i = 0; i < count; ++i) {
    smallest = std::min(smallest, entries[i].number);
    largest = std::max(largest, entries[i].number);
    firstSlot = std::min(firstSlot, entries[i].slot);
    lastSlot = std::max(lastSlot, entries[i].slot);
  }
  const int slotBits = BitsFor(static_cast<uint64_t>(lastSlot));
  const int keyBits =
      BitsFor(static_cast<uint64_t>(largest) - static_cast<uint64_t>(smallest)) + slotBits;
  if (keyBits > 64 || firstSlot < 0) return false;

  auto* bytes = reinterpret_cast<unsigned char*>(entries);
  const size_t n = static_cast<size_t>(count);
  unsigned char* halves[2] = {bytes, bytes + n * sizeof(uint64_t)};
  const auto keyAt = [](const unsigned char* half, size_t i) {
    uint64_t key;
    std::memcpy(&key, half + i * sizeof key, sizeof key);
    return key;
  };
  const auto putKey = [](unsigned char* half, size_t i, uint64_t key) {
    std::memcpy(half + i * sizeof key, &key, sizeof key);
  };
  // One histogram per digit of the number, all counted while the keys are
  // packed, so that each pass reads its keys only to scatter them.
  constexpr int kDigitBits = 11;
  constexpr size_t kBuckets = size_t{1} << kDigitBits;
  const int digits = (keyBits - slotBits + kDigitBits - 1) / kDigitBits;
  std::vector<size_t> counts(static_cast<size_t>(digits) * kBuckets);
  // Entry i lies at byte 16i and key i goes to byte 8i: ascending, every
  // entry is read before its bytes are overwritten.
  for (size_t i = 0; i < n; ++i) {
    const IndexEntry e = entries[i];
    const uint64_t number = static_cast<uint64_t>(e.number) - static_cast<uint64_t>(smallest);
    putKey(halves[0], i, (slotBits == 64 ? 0 : number << slotBits) | static_cast<uint64_t>(e.slot));
    for (int d = 0; d < digits; ++d) {
      ++counts[static_cast<size_t>(d) * kBuckets + ((number >> (d * kDigitBits)) & (kBuckets - 1))];
    }
  }

  int from = 0;
  for (int d = 0; d < digits; ++d, from ^= 1) {
    const int shift = slotBits + d * kDigitBits;
    size_t* starts = counts.data() + static_cast<size_t>(d) * kBuckets;
    size_t sum = 0;
    for (size_t b = 0; b < kBuckets; ++b) sum += std::exchange(starts[b], sum);
    for (size_t i = 0; i < n; ++i) {
      const uint64_t key = keyAt(halves[from], i);
      putKey(halves[from ^ 1], starts[(key >> shift) & (kBuckets - 1)]++, key);
    }
  }

  // Back to 16-byte entries, in the direction that reads every key before
  // its bytes are overwritten.
  const uint64_t slotMask = slotBits == 64 ? ~uint64_t{0} : (uint64_t{1} << slotBits) - 1;
  const auto expand = [&](size_t i) {
    const uint64_t key = keyAt(halves[from], i);
    const uint64_t number = slotBits == 64 ? 0 : key >> slotBits;
    entries[i] = IndexEntry{static_cast<int64_t>(number + static_cast<uint64_t>(smallest)),
                            static_cast<int64_t>(key & slotMask)};
  };
  if (from == 0) {
    for (size_t i = n; i-- > 0;) expand(i);
  } else {
    for (size_t i = 0; i < n; ++i) expand(i);
  }
  return true;
}

}  // namespace

void SortNumberIndex(IndexEntry* entries, int64_t count) {
  if (count < 2) return;
  IndexEntry* end = entries + count;
  if (std::is_sorted(entries, end, InIndexOrder)) return;  // files kept in number order
  if (!RadixSort(entries, count)) std::sort(entries, end, InIndexOrder);
}

int64_t FirstEntryAtOrAbove(int64_t target) {
  IndexEntry* end = NumberIndex + IndexedSlots;
  IndexEntry* stop = std::lower_bound(NumberIndex, end, target,
                                      [](const IndexEntry& e, int64_t t) { return e.number < t; });
  return stop - NumberIndex;
}

int64_t FindSlotByNumber(int64_t target) {
  const int64_t at = FirstEntryAtOrAbove(target);
  return at < IndexedSlots && NumberIndex[at].number == target ? NumberIndex[at].slot : -1;
}

int64_t CountSlotsOfNumber(int64_t target) {
  int64_t at = FirstEntryAtOrAbove(target);
  const int64_t first = at;
  while (at < IndexedSlots && NumberIndex[at].number == target) ++at;
  return at - first;
}

bool MoveToDeletedRun(int64_t number, int64_t slot) {
  if (!IsLiveNumber(number)) return false;
  IndexEntry* end = NumberIndex + IndexedSlots;
  // The deleted run: every -1 entry stands before the first live one.
  IndexEntry* live = NumberIndex + FirstEntryAtOrAbove(0);
  // Live entries keep the (number, slot) order they were loaded in.
  IndexEntry* entry = std::lower_bound(live, end, IndexEntry{number, slot}, InIndexOrder);
  if (entry == end || entry->number != number || entry->slot != slot) return false;
  std::memmove(live + 1, live, static_cast<size_t>(entry - live) * sizeof(IndexEntry));
  *live = IndexEntry{kDeletedNumber, slot};
  return true;
}
