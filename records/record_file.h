// Whole records of film.dat, read and written at slot * 1874.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "store/inventory_record.h"

// Reads slot `slot` of an open file into `record`. A failed or short read
// fails and leaves `record` as it was, so that no half-old record is ever
// in hand.
bool ReadRecordAt(platform::FileRef file, int64_t slot, InventoryRecord* record);

enum class WriteOutcome { kWritten, kNotOpened, kFailed };
// Opens DataPath for writing (never creating it), writes `record` whole at
// `slot`, pushes it to the medium and closes the file. A failed, short or
// unflushed write counts as a failure, and then `previous` (the slot's
// record as it was read) is written back, so that the slot holds the old
// record or the new one, never a mix of the two.
WriteOutcome WriteRecordAt(int64_t slot, const InventoryRecord& record,
                           const InventoryRecord& previous);

// The byte offset of a slot: 32 bits, from the slot's low 32 bits.
inline uint32_t SlotOffset(int64_t slot) { return static_cast<uint32_t>(slot) * kRecordSize; }
