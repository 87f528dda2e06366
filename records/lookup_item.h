// Bringing an item into CurrentRecord: by number through NumberIndex, or by
// a description pattern through PrefixTable and the file.
#pragma once

// In: SearchMode, CurrentNumber or the pattern in InputText,
// ShowAfterLookup. Out: CurrentNumber non-zero with CurrentRecord and
// CurrentSlot describing the record in hand, or 0 for nothing in hand.
void LookupItem();
