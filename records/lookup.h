// Bringing an item into CurrentRecord: by number through NumberIndex, or by
// a description pattern through PrefixTable and the file.
#pragma once

#include "platform/platform.h"

// In: SearchMode, CurrentNumber or the pattern in InputText,
// ShowAfterLookup. Out: CurrentNumber non-zero with CurrentRecord and
// CurrentSlot describing the record in hand, or 0 for nothing in hand.
void LookupItem();

enum class ScanOutcome { kMatch, kReadFailed, kExhausted };
// Continues the description scan from CurrentSlot over an open film.dat.
// On a match, CurrentRecord holds the slot's record and CurrentSlot its
// slot; when the slots run out CurrentSlot is SlotCount.
ScanOutcome ScanDescriptions(platform::FileRef file);
