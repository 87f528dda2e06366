// The index's sort and walk must give exactly what the straight insertion
// sort and the linear walk from entry 0 give.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/platform.h"
#include "store/number_index.h"
#include "store/store_state.h"

namespace {

void InsertionSort(std::vector<IndexEntry>& e) {
  for (size_t k = 1; k < e.size(); ++k) {
    const IndexEntry held = e[k];
    size_t j = k;
    while (j > 0 && e[j - 1].number > held.number) {
      e[j] = e[j - 1];
      --j;
    }
    e[j] = held;
  }
}

int64_t LinearWalk(int64_t target) {
  int64_t i = 0;
  while (NumberIndex[i].number < target && NumberIndex[i].number != 0) ++i;
  return i;
}

// Entries in slot order with numbers drawn from a small range, so that many
// repeat, and -1 for deleted slots.
std::vector<IndexEntry> SlotOrderEntries(size_t n, std::mt19937_64& random) {
  std::vector<IndexEntry> entries;
  for (size_t slot = 0; slot < n; ++slot) {
    const int64_t number = random() % 5 == 0 ? -1 : static_cast<int64_t>(random() % (n / 2 + 1)) + 1;
    entries.push_back({number, static_cast<int64_t>(slot)});
  }
  return entries;
}

}  // namespace

TEST(SortNumberIndex, GivesTheInsertionSortsStableOrder) {
  std::mt19937_64 random(7);
  for (size_t n : {0, 1, 2, 3, 10, 257, 5000}) {
    std::vector<IndexEntry> ours = SlotOrderEntries(n, random);
    std::vector<IndexEntry> reference = ours;
    SortNumberIndex(ours.data(), static_cast<int64_t>(ours.size()));
    InsertionSort(reference);
    for (size_t i = 0; i < n; ++i) {
      ASSERT_EQ(ours[i].number, reference[i].number) << "n=" << n << " i=" << i;
      ASSERT_EQ(ours[i].slot, reference[i].slot) << "n=" << n << " i=" << i;
    }
  }
}

TEST(WalkNumberIndex, StopsWhereTheLinearWalkStops) {
  std::mt19937_64 random(11);
  for (size_t n : {1, 2, 9, 1000}) {
    std::vector<IndexEntry> entries = SlotOrderEntries(n, random);
    SortNumberIndex(entries.data(), static_cast<int64_t>(n));
    std::vector<IndexEntry> index(entries);
    index.resize(n + 200, IndexEntry{0, 0});
    NumberIndex = index.data();
    IndexedSlots = static_cast<int64_t>(n);
    for (int64_t target = -3; target <= static_cast<int64_t>(n) + 3; ++target) {
      ASSERT_EQ(WalkNumberIndex(target), LinearWalk(target)) << "n=" << n << " target=" << target;
    }
    EXPECT_EQ(WalkNumberIndex(INT64_MAX), static_cast<int64_t>(n));
    EXPECT_EQ(FindSlotByNumber(0), -1);
    NumberIndex = nullptr;
    IndexedSlots = 0;
  }
}
