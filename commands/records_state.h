// The record commands' process-wide state.
#pragma once

#include <cstdint>

constexpr int kInputTextSize = 200;

// Narrow text: the question before the prompt dialog, the answer after it,
// the description pattern during a search.
extern char InputText[kInputTextSize];
// The target of a lookup, then the number of the record in hand; 0: none.
extern int64_t CurrentNumber;
// The slot of the record in hand, and the cursor of the description search.
extern int64_t CurrentSlot;
// 2 asks LookupItem for a description search; otherwise 0.
extern int SearchMode;
// Non-zero asks LookupItem to show the view dialog after a lookup by number.
extern int ShowAfterLookup;

constexpr int kDescriptionSearch = 2;
// ShowAfterLookup's values: Find shows the item it found by number; Amend
// and Delete go on with it unseen.
constexpr int kShowItemView = 2;
constexpr int kShowNothing = 0;

// Puts the record commands' state back to its start.
void ResetRecordsState();
