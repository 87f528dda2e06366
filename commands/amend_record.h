// What Amend does once the item's new values are in CurrentRecord, whether
// the amend dialog or the back office put them there.
#pragma once

#include <cstdint>

#include "store/file_status.h"
#include "store/inventory_record.h"

// CurrentRecord is the record of live item `number` read as `asRead`, then
// changed: refuses a changed number or a description under two characters,
// else writes the record back. Reports its own failures; true when the
// record is in the file. `*status`, when given, gets what failed of the
// write, for a caller that says more.
bool StoreAmendment(int64_t number, const InventoryRecord& asRead, FileStatus* status = nullptr);
// Writes CurrentRecord back to CurrentSlot, where `asRead` was read, when
// its number is a live number of the index and the slot still holds
// `asRead` (no other program changed it meanwhile); reports its own
// failures. True when the record is in the file; `*status` as above.
bool WriteBackRecord(const InventoryRecord& asRead, FileStatus* status = nullptr);
