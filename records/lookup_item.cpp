#include "records/lookup_item.h"

#include "commands/lookup_number.h"
#include "commands/records_state.h"
#include "messages/messages.h"
#include "platform/platform.h"
#include "records/description_scan.h"
#include "records/item_dialogs.h"
#include "records/search_result_dialog.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

// Ends the lookup with nothing in hand after telling the user why.
void NothingInHand(Message why) {
  Tell(why);
  CurrentNumber = 0;
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
  InventoryFile file = OpenInventoryForReading();
  if (!file) {
    NothingInHand(
        CannotOpenToRead(file.error(), Message::kInventoryMissing, Message::kSearchReadFailed));
    return;
  }
  CurrentSlot = 0;
  const ScanOutcome outcome = ScanDescriptions(file);
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
  } else if (TellResult(LookupItemByNumber(CurrentNumber)) && ShowAfterLookup != 0) {
    ShowItemView();
  }
}
