#include "tests/kit/store_invariants.h"

#include <vector>

#include "store/inventory_record.h"
#include "store/store_state.h"

std::string CheckStoreAgreesWith(const std::vector<uint8_t>& file) {
  if (file.size() != uint64_t{kRecordSize} * static_cast<uint64_t>(SlotCount)) {
    return "the file no longer holds SlotCount records";
  }
  if (IndexedSlots < 0 || IndexedSlots > SlotCount) return "IndexedSlots out of range";
  std::vector<bool> seen(static_cast<size_t>(IndexedSlots), false);
  int32_t deleted = 0, active = 0;
  for (int64_t i = 0; i < IndexedSlots; ++i) {
    const IndexEntry e = NumberIndex[i];
    const std::string at = "entry " + std::to_string(i) + ": ";
    if (e.slot < 0 || e.slot >= IndexedSlots || seen[static_cast<size_t>(e.slot)]) {
      return at + "slot missing, repeated or out of range";
    }
    seen[static_cast<size_t>(e.slot)] = true;
    if (i > 0 && NumberIndex[i - 1].number > e.number) return at + "out of order";
    const uint8_t* record = file.data() + e.slot * kRecordSize;
    int64_t stored = 0;
    for (int b = 7; b >= 0; --b) stored = stored << 8 | record[b];
    if (e.number == kDeletedNumber) {
      if (stored > 0) return at + "deleted in memory, live in the file";
      ++deleted;
    } else if (e.number > 0) {
      if (stored != e.number) return at + "number differs from the file";
      ++active;
    } else {
      return at + "holds a number that is neither -1 nor positive";
    }
  }
  for (int64_t i = IndexedSlots; i < int64_t{SlotCount} + kSpareEntries; ++i) {
    if (NumberIndex[i].number != 0 || NumberIndex[i].slot != 0) {
      return "spare entry " + std::to_string(i) + " is not zero";
    }
  }
  for (int64_t s = 0; s < SlotCount; ++s) {
    const uint8_t* want =
        s < IndexedSlots ? file.data() + s * kRecordSize + kDescriptionOffset : nullptr;
    const uint8_t first = want != nullptr ? want[0] : 0, second = want != nullptr ? want[1] : 0;
    if (PrefixTable[s].bytes[0] != first || PrefixTable[s].bytes[1] != second) {
      return "prefix of slot " + std::to_string(s) + " differs from the file";
    }
  }
  if (deleted != DeletedCount || active != ActiveCount) return "counts differ from the index";
  return "";
}
