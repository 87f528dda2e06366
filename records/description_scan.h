// The description scan over PrefixTable and the file, which a lookup by
// pattern starts and the search result's "Next" goes on with.
#pragma once

#include "store/slot_io.h"

enum class ScanOutcome { kMatch, kReadFailed, kExhausted };
// Continues the description scan from CurrentSlot over an open film.dat.
// On a match, CurrentRecord holds the slot's record and CurrentSlot its
// slot; when the slots run out CurrentSlot is SlotCount.
ScanOutcome ScanDescriptions(InventoryFile& file);
