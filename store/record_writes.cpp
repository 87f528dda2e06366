#include "store/record_writes.h"

#include "store/number_index.h"
#include "store/store_state.h"

namespace {

void RefreshPrefix(int64_t slot, const InventoryRecord& record) {
  PrefixTable[slot].bytes[0] = record.bytes[kDescriptionOffset];
  PrefixTable[slot].bytes[1] = record.bytes[kDescriptionOffset + 1];
}

}  // namespace

WriteOutcome StoreAmendedRecord(int64_t slot, const InventoryRecord& record,
                                const InventoryRecord& asRead) {
  const WriteOutcome outcome = WriteSlot(slot, record, asRead);
  if (outcome == WriteOutcome::kWritten) RefreshPrefix(slot, record);
  return outcome;
}

WriteOutcome StoreDeletedRecord(int64_t slot, int64_t number, const InventoryRecord& deleted,
                                const InventoryRecord& asRead) {
  const WriteOutcome outcome = WriteSlot(slot, deleted, asRead);
  if (outcome != WriteOutcome::kWritten) return outcome;
  RefreshPrefix(slot, deleted);
  if (MoveToDeletedRun(number, slot)) {
    ++DeletedCount;
    --ActiveCount;
  }
  NumberIndex[SlotCount] = IndexEntry{0, 0};
  return outcome;
}
