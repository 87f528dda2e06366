#include "store/record_writes.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"
#include "store/number_index.h"
#include "store/store_state.h"

namespace {

void RefreshPrefix(int64_t slot, const InventoryRecord& record) {
  PrefixTable[slot] = PrefixOf(record);
}

// The store's arrays, grown for an append (AllocateIndex).
struct Arrays {
  IndexEntry* numbers = nullptr;
  PrefixEntry* prefixes = nullptr;
};

// The first `count` of `records`, appended at slot SlotCount on, entered
// into `grown`: the used entries merged with theirs in (number, slot) order,
// which keeps the deleted run first and puts new deleted ones at its end
// (their slots are past every other). `grown` then replaces the arrays.
void EnterAppended(const RecordSource& records, size_t count, Arrays grown) {
  std::vector<IndexEntry> added;
  added.reserve(count);
  int32_t deleted = 0;
  for (size_t i = 0; i < count; ++i) {
    const Slot slot = SlotCount + static_cast<Slot>(i);
    const InventoryRecord record = records.Record(i);
    const int64_t number = NumberAsLoaded(RecordNumber(record));
    deleted += number == kDeletedNumber ? 1 : 0;
    added.push_back(IndexEntry{number, slot});
    grown.prefixes[slot] = PrefixOf(record);
  }
  std::sort(added.begin(), added.end(), InIndexOrder);
  std::merge(NumberIndex, NumberIndex + IndexedSlots, added.begin(), added.end(), grown.numbers,
             InIndexOrder);
  std::memcpy(grown.prefixes, PrefixTable, static_cast<size_t>(SlotCount) * sizeof(PrefixEntry));
  platform::Release(NumberIndex);
  platform::Release(PrefixTable);
  NumberIndex = grown.numbers;
  PrefixTable = grown.prefixes;
  SlotCount += static_cast<Slot>(count);
  IndexedSlots = SlotCount;
  DeletedCount += deleted;
  ActiveCount += static_cast<int32_t>(count) - deleted;
}

}  // namespace

WriteResult WriteAmendedRecord(int64_t slot, const InventoryRecord& record,
                               const InventoryRecord& asRead) {
  const WriteResult written = WriteSlotJournalled(slot, record, asRead);
  if (written) RefreshPrefix(slot, record);
  return written;
}

namespace {

// The changes of a caller, each one's new prefix kept as it is made.
class PrefixTaking : public SlotChanges {
 public:
  explicit PrefixTaking(SlotChanges& changes) : changes_(changes), prefixes_(changes.Count()) {}
  size_t Count() const override { return changes_.Count(); }
  int64_t Slot(size_t i) const override { return changes_.Slot(i); }
  bool Holds(size_t i, const InventoryRecord& now) override { return changes_.Holds(i, now); }
  void Make(size_t i, const InventoryRecord& now, InventoryRecord* next) override {
    changes_.Make(i, now, next);
    prefixes_[i] = PrefixOf(*next);
  }
  PrefixEntry prefix(size_t i) const { return prefixes_[i]; }

 private:
  SlotChanges& changes_;
  std::vector<PrefixEntry> prefixes_;
};

}  // namespace

SlotsWritten WriteAmendedRecords(SlotChanges& changes) {
  PrefixTaking taking(changes);
  const SlotsWritten done = WriteSlotsJournalled(taking);
  for (size_t i = 0; i < done.written; ++i) PrefixTable[changes.Slot(i)] = taking.prefix(i);
  return done;
}

SlotsWritten WriteAppendedRecords(const RecordSource& records) {
  if (records.Count() == 0) return {WriteOutcome::kWritten, 0};
  Arrays grown;
  const auto count = static_cast<Slot>(records.Count());
  if (IndexedSlots != SlotCount || SlotCount + count > kLargestSlotCount ||
      !AllocateIndex(SlotCount + count, &grown.numbers, &grown.prefixes)) {
    return {WriteOutcome::kFailed, 0};
  }
  const SlotsWritten done = AppendSlotsJournalled(uint64_t{kRecordSize} * SlotCount, records);
  if (done.written == 0) {
    platform::Release(grown.numbers);
    platform::Release(grown.prefixes);
    return done;
  }
  EnterAppended(records, done.written, grown);
  return done;
}

WriteResult WriteDeletedRecord(int64_t slot, int64_t number, const InventoryRecord& deleted,
                               const InventoryRecord& asRead) {
  const WriteResult written = WriteSlotJournalled(slot, deleted, asRead);
  if (!written) return written;
  RefreshPrefix(slot, deleted);
  if (MoveToDeletedRun(number, slot)) {
    ++DeletedCount;
    --ActiveCount;
  }
  NumberIndex[SlotCount] = IndexEntry{0, 0};
  return written;
}
