// The commands of the "Find", "Amend" and "Delete" buttons.
#pragma once

#include "store/inventory_record.h"

void FindCommand();
void AmendCommand();
void DeleteCommand();

// Writes CurrentRecord back to CurrentSlot, where `asRead` was read, when
// its number is a live number of the index; reports its own failures. True
// when the record is in the file.
bool WriteBackRecord(const InventoryRecord& asRead);
