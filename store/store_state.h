// The inventory store's process-wide state: the record buffer, the location
// of film.dat, the counters and the two in-memory arrays.
//
// Once LoadInventory has succeeded, and after every call of the store since:
//
// (1) SlotCount is the number of whole records film.dat held when it was
//     loaded, and the slots the store appended since, at least 1, and
//     SlotCount * kRecordSize is at most kLargestInventorySize. The store
//     changes the file's size only by appending whole slots, so it is still
//     SlotCount * kRecordSize unless another program changed it; every write
//     therefore takes the size again and refuses a slot past it, and an
//     append a file of any other size.
//
// (2) 0 <= IndexedSlots <= SlotCount. IndexedSlots is the number of slots,
//     from slot 0 on, that the load read; it is short of SlotCount only when
//     a read failed part-way, and the slots after it are in no array.
//
// (3) NumberIndex and PrefixTable each have SlotCount + kSpareEntries
//     entries (an append that stopped part-way leaves them more). NumberIndex[0 .. IndexedSlots-1]
//     are the used entries: each slot below IndexedSlots stands in exactly one of them. Every entry
//     from IndexedSlots on is zero, number and slot, the entry at SlotCount included.
//
// (4) A used entry's number is kDeletedNumber or positive. A positive number
//     is the one stored in its slot when the load read it or the store last
//     wrote it; kDeletedNumber stands for a stored number of 0 or below (the
//     load's rule) or a record written in the deleted form.
//
// (5) The used entries are sorted ascending by number: the kDeletedNumber
//     entries first, as one run, then the live ones in (number, slot) order.
//     A delete moves its entry to the end of the deleted run.
//
// (6) DeletedCount is the length of that run and ActiveCount the number of
//     live entries after it: ActiveCount + DeletedCount == IndexedSlots.
//
// (7) PrefixTable[slot], for a slot below IndexedSlots, holds the first two
//     Description bytes of the record the load read there or the store last
//     wrote there (zero for the deleted form); from IndexedSlots on it is
//     zero.
//
// Another program may change film.dat meanwhile; (4) and (7) then speak of
// the file as the store last saw it, and each write checks the slot again.
// The tests' CheckStoreAgreesWith holds (1) to (7) against the file.
//
// Which bound a loop takes follows from (3) and (7):
//   - Walks of NumberIndex (the walk by number, the delete's move, filmtool
//     index) stop at IndexedSlots: only the used entries are sorted, and the
//     first zero entry is where the walk by number ends.
//   - Walks of PrefixTable by slot (the description scan and its read
//     blocks, filmtool prefix) and reads of the slots (export, check) run to
//     SlotCount: an unread slot's prefix is zero, and a zero first byte
//     never passes the scan's prefix test, so the scan steps over it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "store/file_names.h"
#include "store/inventory_record.h"

// One NumberIndex entry: an item number and the slot that holds it.
struct IndexEntry {
  int64_t number;
  Slot slot;
};

// The first two Description bytes of a slot.
struct PrefixEntry {
  uint8_t bytes[2];
};

// The one record buffer that every read goes into and every write comes from.
extern InventoryRecord CurrentRecord;
// The inventory file: kDeviceDataPath, or kDataFileName in the card's folder.
extern std::wstring DataPath;
extern Slot SlotCount;
extern int32_t ActiveCount;
extern int32_t DeletedCount;
// The index by number: (3), (4) and (5) above.
extern IndexEntry* NumberIndex;
// The Description prefixes by slot: (7) above.
extern PrefixEntry* PrefixTable;
// How many NumberIndex entries LoadInventory filled (the records it read): (2).
extern Slot IndexedSlots;

constexpr int32_t kSpareEntries = 200;

// The first two Description bytes of the record at `record` (kRecordSize
// bytes), as its slot's PrefixTable entry holds them.
inline PrefixEntry PrefixOf(const uint8_t* record) {
  return PrefixEntry{{record[kDescriptionOffset], record[kDescriptionOffset + 1]}};
}
inline PrefixEntry PrefixOf(const InventoryRecord& record) { return PrefixOf(record.bytes); }

// Allocates an index and a prefix table for `slots` slots, spare entries
// included, zeroed. False, with both nullptr, when either cannot be had.
bool AllocateIndex(Slot slots, IndexEntry** numbers, PrefixEntry** prefixes);

// How long, in milliseconds, a step waits for a file that another program
// holds (platform::FileError::kBusy) before it gives up: 0 for the program,
// which tells the user at once; the back office waits a moment.
extern uint32_t HeldFileWait;

// Puts all of the store's state back to its start: arrays released,
// buffers and settings zero, DataPath empty.
void ResetStoreState();
