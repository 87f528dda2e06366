#include "messages/messages.h"

#include "platform/app_handles.h"

namespace {

enum class Owner { kNone, kMainWindow, kGivenWindow };
constexpr int kNoBeep = -1;

struct Entry {
  Message message;
  const wchar_t* text;
  const wchar_t* caption;
  unsigned buttons;
  int beep;  // a sound type, or kNoBeep
  Owner owner;
};

constexpr wchar_t kProblem[] = L"Problem";
constexpr wchar_t kFatal[] = L"Fatal error";
constexpr wchar_t kNotPresent[] = L"Data file: film.dat, not present.";
constexpr wchar_t kFilmDat[] = L"Film.dat";
constexpr wchar_t kNoMatchText[] = L"No match found";
constexpr int kDefault = static_cast<int>(platform::kBeepDefault);
constexpr int kAsterisk = static_cast<int>(platform::kBeepAsterisk);
using platform::kMbOk;

constexpr Entry kTable[] = {
    {Message::kNoPicture, L"HDC", kProblem, kMbOk, kNoBeep, Owner::kGivenWindow},
    {Message::kNoMemoryCard, L"No memory card.", kProblem, kMbOk, kDefault, Owner::kNone},
    {Message::kNoMemoryCardDetail, L"No memory card detail", kProblem, kMbOk, kDefault,
     Owner::kNone},
    {Message::kUnableToCreateInventory, L"Unable to create inventory file.", kFatal, kMbOk,
     kDefault, Owner::kNone},
    {Message::kUnableToOpenNewInventory, L"Unable to open inventory file.", kFatal, kMbOk, kDefault,
     Owner::kNone},
    {Message::kInventoryEmpty, L"Film.dat has no data in Opendata.", kFatal, kMbOk, kDefault,
     Owner::kNone},
    {Message::kInventoryCorrupt, L"Data file film.dat corrupt in Opendata.", kFatal, kMbOk,
     kDefault, Owner::kNone},
    {Message::kUnableToOpenForLoading, L"Unable to open film.dat in Opendata", kFatal, kMbOk,
     kDefault, Owner::kNone},
    {Message::kNoMemoryForIndex, L"Not enough memory for film.dat in Opendata.", kFatal, kMbOk,
     kDefault, Owner::kNone},
    {Message::kUnfinishedChangeKept,
     L"The last change to film.dat could not be finished; it is kept for the next start.", kProblem,
     kMbOk, kDefault, Owner::kNone},
    {Message::kUnableToSaveSettings, L"Unable to save configuration file", kProblem, kMbOk,
     kDefault, Owner::kNone},
    {Message::kNoSuchItem, L"No such item: %s", kProblem, kMbOk, kNoBeep, Owner::kNone},
    {Message::kInventoryMissing, kNotPresent, kFatal, kMbOk, kNoBeep, Owner::kNone},
    {Message::kUnableToReadRecord, L"Not able to read film.dat", kProblem, kMbOk, kNoBeep,
     Owner::kMainWindow},
    {Message::kSearchReadFailed, kFilmDat, kProblem, kMbOk, kNoBeep, Owner::kMainWindow},
    {Message::kNoMatch, kNoMatchText, L"Finished", kMbOk, kNoBeep, Owner::kMainWindow},
    {Message::kNextInventoryMissing, kNotPresent, kFatal, kMbOk, kNoBeep, Owner::kGivenWindow},
    {Message::kNextReadFailed, kFilmDat, kProblem, kMbOk, kNoBeep, Owner::kGivenWindow},
    {Message::kNoFurtherMatch, kNoMatchText, L"Finished", kMbOk, kAsterisk, Owner::kGivenWindow},
    {Message::kSlotMoved,
     L"Film.dat was changed by another program. Restart tallo to see the changes.", kProblem, kMbOk,
     kNoBeep, Owner::kMainWindow},
    {Message::kNumberChanged, L"Number cannot be changed", kProblem, kMbOk, kNoBeep,
     Owner::kMainWindow},
    {Message::kDescriptionTooShort, L"The description must have at least two characters.", kProblem,
     kMbOk, kDefault, Owner::kMainWindow},
    {Message::kInvalidNumber, L"Invalid number.", kProblem, kMbOk, kNoBeep, Owner::kMainWindow},
    {Message::kWriteBackMissing, kNotPresent, kProblem, kMbOk, kNoBeep, Owner::kMainWindow},
    {Message::kWriteBackFailed, kFilmDat, kProblem, kMbOk, kNoBeep, Owner::kMainWindow},
    {Message::kRecordChanged, L"Film.dat was changed by another program. Look the item up again.",
     kProblem, kMbOk, kDefault, Owner::kMainWindow},
    {Message::kConfirmDelete, L"Are you sure?", L"%s", platform::kMbOkCancel, kDefault,
     Owner::kMainWindow},
    {Message::kDeleteMissing, kNotPresent, kFatal, kMbOk, kDefault, Owner::kNone},
    {Message::kDeleteFailed, L"Not able to write film.dat", kProblem, kMbOk, kDefault,
     Owner::kMainWindow},
    {Message::kDeleteComplete, L"Complete", L"Delete", kMbOk, kNoBeep, Owner::kMainWindow},
    {Message::kCardMissingForSwitch, L"No memory card.", kProblem, kMbOk, kDefault,
     Owner::kGivenWindow},
    {Message::kCardDetailMissingForSwitch, L"No memory card detail", kProblem, kMbOk, kDefault,
     Owner::kGivenWindow},
    {Message::kUsing, L"%s", L"Using", kMbOk, kNoBeep, Owner::kGivenWindow},
    {Message::kPleaseRestart, L"to take effect", L"Please restart", kMbOk, kNoBeep,
     Owner::kGivenWindow},
};

// The table lists every message once, in the order of the enumeration.
constexpr bool InOrder() {
  for (size_t i = 0; i < sizeof kTable / sizeof kTable[0]; ++i) {
    if (static_cast<size_t>(kTable[i].message) != i) return false;
  }
  return sizeof kTable / sizeof kTable[0] == static_cast<size_t>(Message::kCount);
}
static_assert(InOrder(), "kTable must hold every Message in enumeration order");

std::wstring Fill(const wchar_t* pattern, const std::wstring& detail) {
  std::wstring text = pattern;
  const size_t at = text.find(L"%s");
  if (at != std::wstring::npos) text.replace(at, 2, detail);
  return text;
}

}  // namespace

int Tell(Message message, platform::WindowRef window, const std::wstring& detail) {
  const Entry& e = kTable[static_cast<size_t>(message)];
  if (e.beep != kNoBeep) platform::Beep(static_cast<unsigned>(e.beep));
  const platform::WindowRef owner = e.owner == Owner::kNone         ? nullptr
                                    : e.owner == Owner::kMainWindow ? MainWindow
                                                                    : window;
  return platform::ShowMessageBox(owner, Fill(e.text, detail), Fill(e.caption, detail), e.buttons);
}

std::wstring MessageText(Message message, const std::wstring& detail) {
  return Fill(kTable[static_cast<size_t>(message)].text, detail);
}
