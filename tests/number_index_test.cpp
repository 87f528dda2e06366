// The index's sort and walk must give exactly what the test kit's straight
// insertion sort and linear walk from entry 0 give.
#include "store/number_index.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "platform/platform.h"
#include "store/store_state.h"
#include "tests/kit/reference.h"
#include "tests/test_support.h"

namespace {

// Entries in slot order with numbers drawn from a small range, so that many
// repeat, and -1 for deleted slots.
std::vector<IndexEntry> SlotOrderEntries(size_t n, std::mt19937_64& random) {
  std::vector<IndexEntry> entries;
  for (size_t slot = 0; slot < n; ++slot) {
    const int64_t number =
        random() % 5 == 0 ? -1 : static_cast<int64_t>(random() % (n / 2 + 1)) + 1;
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
    InsertionSort(reference.data(), static_cast<int64_t>(reference.size()));
    for (size_t i = 0; i < n; ++i) {
      ASSERT_EQ(ours[i].number, reference[i].number) << "n=" << n << " i=" << i;
      ASSERT_EQ(ours[i].slot, reference[i].slot) << "n=" << n << " i=" << i;
    }
  }
}

TEST(SortNumberIndex, NumbersOfAnyWidthSortTheSameWay) {
  // Spans that fit a 64-bit key with the slot, and spans that do not.
  std::mt19937_64 random(3);
  for (int64_t span : {int64_t{1} << 20, int64_t{1} << 50, int64_t{1} << 53, INT64_MAX}) {
    std::vector<IndexEntry> ours;
    for (int64_t slot = 0; slot < 3000; ++slot) {
      const int64_t number =
          random() % 7 == 0 ? -1 : 1 + static_cast<int64_t>(random() % 40) * (span / 40);
      ours.push_back({number, slot});
    }
    ours.push_back({INT64_MAX, 3000});
    std::vector<IndexEntry> reference = ours;
    SortNumberIndex(ours.data(), static_cast<int64_t>(ours.size()));
    InsertionSort(reference.data(), static_cast<int64_t>(reference.size()));
    ASSERT_TRUE(ours == reference) << span;
  }
}

TEST(FirstEntryAtOrAbove, StopsWhereTheLinearWalkStops) {
  std::mt19937_64 random(11);
  for (size_t n : {1, 2, 9, 1000}) {
    std::vector<IndexEntry> entries = SlotOrderEntries(n, random);
    SortNumberIndex(entries.data(), static_cast<int64_t>(n));
    std::vector<IndexEntry> index(entries);
    index.resize(n + 200, IndexEntry{0, 0});
    NumberIndex = index.data();
    IndexedSlots = static_cast<int64_t>(n);
    for (int64_t target = -3; target <= static_cast<int64_t>(n) + 3; ++target) {
      ASSERT_EQ(FirstEntryAtOrAbove(target), ReferenceWalk(target))
          << "n=" << n << " target=" << target;
    }
    EXPECT_EQ(FirstEntryAtOrAbove(INT64_MAX), static_cast<int64_t>(n));
    EXPECT_EQ(FindSlotByNumber(0), -1);
    NumberIndex = nullptr;
    IndexedSlots = 0;
  }
}

// ---- The index update after a deletion ----------------------------------------

namespace {

// Runs MoveToDeletedRun over `entries` (with 200 zero entries behind them).
std::vector<IndexEntry> AfterMove(std::vector<IndexEntry> entries, int64_t number, int64_t slot,
                                  bool* moved = nullptr) {
  const size_t used = entries.size();
  entries.resize(used + 200, IndexEntry{0, 0});
  NumberIndex = entries.data();
  IndexedSlots = static_cast<int64_t>(used);
  const bool result = MoveToDeletedRun(number, slot);
  if (moved != nullptr) *moved = result;
  NumberIndex = nullptr;
  IndexedSlots = 0;
  for (size_t i = used; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].number, 0);
    EXPECT_EQ(entries[i].slot, 0);
  }
  entries.resize(used);
  return entries;
}

using Entries = std::vector<IndexEntry>;

}  // namespace

TEST(MoveToDeletedRun, FollowsTheWorkedExample) {
  EXPECT_EQ(AfterMove({{-1, 3}, {-1, 5}, {10, 0}, {20, 1}, {30, 2}, {40, 4}}, 30, 2),
            (Entries{{-1, 3}, {-1, 5}, {-1, 2}, {10, 0}, {20, 1}, {40, 4}}));
}

TEST(MoveToDeletedRun, SmallestLargestAndNoDeletedRun) {
  const Entries index{{-1, 3}, {10, 0}, {20, 1}, {40, 4}};
  EXPECT_TRUE(AfterMove(index, 10, 0) == (Entries{{-1, 3}, {-1, 0}, {20, 1}, {40, 4}}));
  EXPECT_TRUE(AfterMove(index, 40, 4) == (Entries{{-1, 3}, {-1, 4}, {10, 0}, {20, 1}}));
  EXPECT_TRUE(AfterMove({{10, 0}, {20, 1}}, 20, 1) == (Entries{{-1, 1}, {10, 0}}));
  EXPECT_TRUE(AfterMove({{10, 0}}, 10, 0) == (Entries{{-1, 0}}));
}

TEST(MoveToDeletedRun, TakesTheEntryOfTheGivenSlotOfARepeatedNumber) {
  EXPECT_EQ(AfterMove({{-1, 9}, {5, 1}, {5, 4}, {5, 6}, {8, 2}}, 5, 4),
            (Entries{{-1, 9}, {-1, 4}, {5, 1}, {5, 6}, {8, 2}}));
}

TEST(MoveToDeletedRun, LeavesTheIndexAloneForNumbersItDoesNotHold) {
  const Entries index{{-1, 3}, {10, 0}, {20, 1}};
  for (const IndexEntry& gone : {IndexEntry{-1, 3}, IndexEntry{0, 0}, IndexEntry{-7, 2},
                                 IndexEntry{15, 0}, IndexEntry{20, 0}, IndexEntry{99, 1}}) {
    bool moved = true;
    EXPECT_TRUE(AfterMove(index, gone.number, gone.slot, &moved) == index);
    EXPECT_FALSE(moved);
  }
}
