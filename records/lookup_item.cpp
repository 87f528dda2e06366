#include "records/lookup_item.h"

#include <string>

#include "messages/messages.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "records/description_scan.h"
#include "records/item_dialogs.h"
#include "records/records_state.h"
#include "records/search_result_dialog.h"
#include "store/number_index.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

// Ends the lookup with nothing in hand after telling the user why.
void NothingInHand(Message why, const std::wstring& detail = L"") {
  Tell(why, nullptr, detail);
  CurrentNumber = 0;
}

// What a film.dat that could not be opened to be read is told as: `missing`
// when it is not there, else `unreadable`, as a file that is there and
// cannot be read now (platform::LastFileError, taken at once).
Message CannotOpen(Message missing, Message unreadable) {
  return platform::LastFileError() == platform::FileError::kMissing ? missing : unreadable;
}

void LookUpNumber() {
  const int64_t slot = FindSlotByNumber(CurrentNumber);
  if (slot < 0) {
    const std::string target = platform::FormatItemNumber(CurrentNumber);
    NothingInHand(Message::kNoSuchItem, std::wstring(target.begin(), target.end()));
    return;
  }
  platform::ScopedFile file(OpenInventoryForReading());
  if (!file) {
    NothingInHand(CannotOpen(Message::kInventoryMissing, Message::kUnableToReadRecord));
    return;
  }
  const bool read = ReadSlot(file.get(), slot, &CurrentRecord);
  file.Close();
  if (!read) {
    NothingInHand(Message::kUnableToReadRecord);
    return;
  }
  // Another program moved the slots since start-up: the index would show
  // another item under this number.
  if (RecordNumber(CurrentRecord) != CurrentNumber) {
    NothingInHand(Message::kSlotMoved);
    return;
  }
  CurrentSlot = slot;
  if (ShowAfterLookup != 0) ShowItemView();
  CurrentNumber = RecordNumber(CurrentRecord);
}

void SearchDescriptions() {
  if (InputText[0] == '\0') {
    CurrentNumber = 0;
    return;
  }
  // A one-character pattern stands for that character and any second one.
  if (InputText[1] == '\0') {
    InputText[1] = '?';
    InputText[2] = '\0';
  }
  platform::ScopedFile file(OpenInventoryForReading());
  if (!file) {
    NothingInHand(CannotOpen(Message::kInventoryMissing, Message::kSearchReadFailed));
    return;
  }
  CurrentSlot = 0;
  const ScanOutcome outcome = ScanDescriptions(file.get());
  file.Close();
  switch (outcome) {
    case ScanOutcome::kReadFailed:
      NothingInHand(Message::kSearchReadFailed);
      return;
    case ScanOutcome::kExhausted:
      NothingInHand(Message::kNoMatch);
      return;
    case ScanOutcome::kMatch:
      CurrentNumber =
          RunSearchResultDialog() == DialogResult::kOk ? RecordNumber(CurrentRecord) : 0;
      return;
  }
}

}  // namespace

void LookupItem() {
  if (SearchMode == kDescriptionSearch) {
    SearchMode = 0;
    SearchDescriptions();
  } else {
    LookUpNumber();
  }
}
