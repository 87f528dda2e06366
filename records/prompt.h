// The question every record command starts with, and how its answer is read.
#pragma once

#include <cstdint>

constexpr int64_t kNoUpperBound = INT64_MAX;

// Puts `question` into InputText, empties ScratchText and runs the prompt
// dialog. True on OK, with the answer in InputText.
bool AskForItem(const char* question);

// Reads the answer in InputText as an item number n: when 1 <= n <=
// `largest`, CurrentNumber = n and SearchMode = 0; otherwise SearchMode asks
// for a description search with the answer, unchanged, as the pattern.
void TakeAnswer(int64_t largest);

// What Find, Amend and Delete begin with: asks `question`, takes the answer
// as a number up to `largest` or a pattern, and looks it up, with `show`
// (kShowItemView or kShowNothing) for ShowAfterLookup. True with an item in
// hand (CurrentNumber, CurrentRecord, CurrentSlot); after Cancel nothing is.
bool AskAndLookUp(const char* question, int64_t largest, int show);
