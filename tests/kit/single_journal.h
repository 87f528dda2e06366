// The journal a build before the group form left beside film.dat for the
// write of one slot (store/journal.h, "The single form"): start-up must
// still settle one that a power cut left whole.
#pragma once

#include <cstdint>

#include "store/inventory_record.h"
#include "tests/kit/record_builder.h"

// The whole journal of writing `record` to `slot` of the inventory whose
// bytes are `file`.
Bytes SingleFormJournal(const Bytes& file, int64_t slot, const InventoryRecord& record);
