#include "messages/opening_messages.h"

#include "messages/messages.h"

bool Opendata(Opening opening) {
  const InventoryOpened opened = LoadInventory(opening);
  TellOpening(opened);
  return static_cast<bool>(opened);
}

void TellCardLookup(CardLookup card) {
  if (card == CardLookup::kNoCard) Tell(Message::kNoMemoryCard);
  if (card == CardLookup::kNoDetail) Tell(Message::kNoMemoryCardDetail);
}

void TellOpening(const InventoryOpened& opened) {
  TellCardLookup(opened.card);
  if (opened.journalKept) Tell(Message::kUnfinishedChangeKept);
  switch (opened.failure) {
    case OpenFailure::kNone:
    case OpenFailure::kMissing:
    case OpenFailure::kJournalKept:  // told as the journal kept
      break;
    case OpenFailure::kCannotCreate:
      Tell(Message::kUnableToCreateInventory);
      break;
    case OpenFailure::kCannotOpenNew:
      Tell(Message::kUnableToOpenNewInventory);
      break;
    case OpenFailure::kEmpty:
      Tell(Message::kInventoryEmpty);
      break;
    case OpenFailure::kNotWhole:
      Tell(Message::kInventoryCorrupt);
      break;
    case OpenFailure::kNoMemory:
      Tell(Message::kNoMemoryForIndex);
      break;
    // A size that cannot be taken is no sign of a damaged file: film.dat
    // cannot be worked with now, as when it cannot be opened to be read.
    case OpenFailure::kCannotSize:
    case OpenFailure::kCannotOpenForLoading:
      Tell(Message::kUnableToOpenForLoading);
      break;
  }
}
