// What Amend does once the item's new values are in CurrentRecord, whether
// the amend dialog or the back office put them there.
#pragma once

#include <cstdint>

#include "commands/command_result.h"
#include "store/inventory_record.h"

// CurrentRecord is the record of live item `number` read as `asRead`, then
// changed: refuses a changed number or a description under two characters,
// else writes the record back. Done when the record is in the file; else
// the message that says why, and what failed of the write, for a caller
// that says more.
CommandResult StoreAmendment(int64_t number, const InventoryRecord& asRead);
// Writes CurrentRecord back to CurrentSlot, where `asRead` was read, when
// its number is a live number of the index and the slot still holds
// `asRead` (no other program changed it meanwhile); comes to what
// StoreAmendment comes to.
CommandResult WriteBackRecord(const InventoryRecord& asRead);
