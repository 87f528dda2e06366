// Bringing an item into hand by its number, through NumberIndex and the
// file: the lookup of Find, Amend, Delete and the back office.
#pragma once

#include <cstdint>

// Sets CurrentNumber to `number` and reads its record. True with the item
// in hand (CurrentRecord, CurrentSlot); otherwise the user has been told
// why and CurrentNumber is 0.
bool LookUpItemNumber(int64_t number);
