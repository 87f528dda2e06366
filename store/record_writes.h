// Writing a record back to its slot with the in-memory index kept in step:
// the prefix, the index entry and the counts change only once the record is
// in the file, and only here.
#pragma once

#include <cstdint>
#include <vector>

#include "store/inventory_record.h"
#include "store/journalled_write.h"

// Writes an amended record to `slot` while the slot still holds `asRead`,
// the record as it was read and shown (store/journalled_write.h); once it is in the
// file, the slot's prefix becomes the new description's first two bytes.
// Nothing of memory changes unless the record was written.
WriteResult WriteAmendedRecord(Slot slot, const InventoryRecord& record,
                               const InventoryRecord& asRead);

// Makes many changes at once (WriteSlotsJournalled). Each written slot's prefix
// becomes its new description's first two bytes.
SlotsWritten WriteAmendedRecords(SlotChanges& changes);

// Appends `records` as new slots at the end of film.dat (AppendSlotsJournalled),
// while it still has the SlotCount records it was loaded with and every one
// of them is indexed. For the slots in the file: SlotCount and IndexedSlots
// grow by them, each gets its index entry in order and its prefix, and the
// counts follow the load's rule for its number. The larger arrays are had
// before anything is written: without them nothing is (kFailed, and no
// file step failed).
SlotsWritten WriteAppendedRecords(const RecordSource& records);
inline SlotsWritten WriteAppendedRecords(const std::vector<InventoryRecord>& records) {
  return WriteAppendedRecords(RecordList(records));
}

// Writes `deleted`, the deleted form of the record of `number` read from
// `slot` as `asRead`, while the slot still holds that. Once it is in the file: the slot's prefix is
// cleared, its index entry joins the end of the deleted run, one item moves from the live count to
// the deleted count, and the entry at SlotCount is zeroed. A record that the load already counted
// as deleted (a stored number below 1, found by its description) keeps its entry and the counts.
WriteResult WriteDeletedRecord(Slot slot, int64_t number, const InventoryRecord& deleted,
                               const InventoryRecord& asRead);
