#include "messages/opening_messages.h"

#include "messages/messages.h"

bool Opendata(Opening opening) {
  const InventoryOpened opened = LoadInventory(opening);
  TellOpening(opened);
  return static_cast<bool>(opened);
}

namespace {

void CardLookupMessages(CardLookup card, std::vector<Message>* said) {
  if (card == CardLookup::kNoCard) said->push_back(Message::kNoMemoryCard);
  if (card == CardLookup::kNoDetail) said->push_back(Message::kNoMemoryCardDetail);
}

}  // namespace

void TellCardLookup(CardLookup card) {
  std::vector<Message> said;
  CardLookupMessages(card, &said);
  for (Message message : said) Tell(message);
}

void TellOpening(const InventoryOpened& opened) {
  for (Message message : OpeningMessages(opened)) Tell(message);
}

std::vector<Message> OpeningMessages(const InventoryOpened& opened) {
  std::vector<Message> said;
  CardLookupMessages(opened.card, &said);
  if (opened.journalKept) said.push_back(Message::kUnfinishedChangeKept);
  switch (opened.failure) {
    case OpenFailure::kNone:
    case OpenFailure::kMissing:
    case OpenFailure::kJournalKept:  // told as the journal kept
      break;
    case OpenFailure::kCannotCreate:
      said.push_back(Message::kUnableToCreateInventory);
      break;
    case OpenFailure::kCannotOpenNew:
      said.push_back(Message::kUnableToOpenNewInventory);
      break;
    case OpenFailure::kEmpty:
      said.push_back(Message::kInventoryEmpty);
      break;
    case OpenFailure::kNotWhole:
      said.push_back(Message::kInventoryCorrupt);
      break;
    case OpenFailure::kNoMemory:
      said.push_back(Message::kNoMemoryForIndex);
      break;
    // A size that cannot be taken is no sign of a damaged file: film.dat
    // cannot be worked with now, as when it cannot be opened to be read.
    case OpenFailure::kCannotSize:
    case OpenFailure::kCannotOpenForLoading:
      said.push_back(Message::kUnableToOpenForLoading);
      break;
  }
  return said;
}
