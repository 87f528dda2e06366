// The inventory store's process-wide state: the record buffer, the location
// of film.dat, the counters and the two in-memory arrays.
#pragma once

#include <cstdint>
#include <string>

#include "store/file_names.h"
#include "store/inventory_record.h"

// One NumberIndex entry: an item number and the slot that holds it.
struct IndexEntry {
  int64_t number;
  int64_t slot;
};

// The first two Description bytes of a slot.
struct PrefixEntry {
  uint8_t bytes[2];
};

// The one record buffer that every read goes into and every write comes from.
extern InventoryRecord CurrentRecord;
// The inventory file: kDeviceDataPath, or kDataFileName in the card's folder.
extern std::wstring DataPath;
extern int32_t SlotCount;
extern int32_t ActiveCount;
extern int32_t DeletedCount;
// SlotCount + 200 entries: the used ones sorted ascending by number (deleted
// entries, number -1, first; equal numbers in slot order), zeros after them.
extern IndexEntry* NumberIndex;
// SlotCount + 200 entries, indexed by slot.
extern PrefixEntry* PrefixTable;
// How many NumberIndex entries Opendata filled (the records it read): the
// position of the first zero entry, where every walk of the index ends.
extern int64_t IndexedSlots;

constexpr int32_t kSpareEntries = 200;

// Puts all of the store's state back to its start: arrays released,
// buffers and settings zero, DataPath empty.
void ResetStoreState();
