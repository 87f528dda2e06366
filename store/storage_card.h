// The first storage card's folder, as the card search and the object store
// report it. Start-up and the configuration dialog both look it up; each
// reports the outcome its own way.
#pragma once

#include <string>

enum class CardLookup {
  kNoRecord,  // the find record could not be allocated
  kNoCard,    // no storage card
  kNoDetail,  // a card, but its information cannot be read
  kFound,
};

// On kFound, `*dataPath` is the card's folder, a backslash and kDataFileName.
CardLookup LookUpCardDataPath(std::wstring* dataPath);
