// The search-result dialog: one match at a time, "Next" goes on scanning
// from the slot shown.
#include "records/search_result_dialog.h"

#include "commands/lookup_number.h"
#include "commands/records_state.h"
#include "messages/messages.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "records/description_scan.h"
#include "resources/resource_ids.h"
#include "store/inventory_record.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

void ShowMatch(platform::WindowRef dialog) {
  const InventoryRecord& r = CurrentRecord;
  platform::SetControlText(dialog, IDC_NUMBER,
                           WideThroughScratch(platform::FormatItemNumber(RecordNumber(r))));
  platform::SetControlText(dialog, IDC_DESCRIPTION,
                           platform::WideFromField(r.bytes + kDescriptionOffset, kDescriptionSize));
  platform::SetControlText(dialog, IDC_RESULT_PRICE,
                           WideThroughScratch(platform::FormatPrice(RecordPrice(r))));
  platform::SetControlUnsigned(dialog, IDC_RESULT_IN_STOCK, RecordInStock(r));
}

// Ends the dialog with nothing in hand after telling the user why.
void GiveUp(platform::WindowRef dialog, Message why) {
  Tell(why, dialog);
  CurrentNumber = 0;
  platform::EndDialog(dialog, 0);
}

void Next(platform::WindowRef dialog) {
  InventoryFile file = OpenInventoryForReading();
  if (!file) {
    GiveUp(dialog, CannotOpenToRead(file.error(), Message::kNextInventoryMissing,
                                    Message::kNextReadFailed));
    return;
  }
  ++CurrentSlot;
  const ScanOutcome outcome = ScanDescriptions(file);
  file.Close();
  switch (outcome) {
    case ScanOutcome::kMatch:
      ShowMatch(dialog);
      return;
    case ScanOutcome::kReadFailed:
      GiveUp(dialog, Message::kNextReadFailed);
      return;
    case ScanOutcome::kExhausted:
      GiveUp(dialog, Message::kNoFurtherMatch);
      return;
  }
}

intptr_t SearchResultDialogProc(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                                intptr_t /*lparam*/) {
  switch (message) {
    case platform::kMsgInitDialog:
      platform::SetTitle(dialog, L"Inventory");
      ShowMatch(dialog);
      platform::SetFocus(platform::ControlWindow(dialog, IDC_NEXT));
      return 0;  // the focus is placed
    case platform::kMsgCommand:
      if (CommandId(wparam) == IDC_NEXT) {
        Next(dialog);
        return 1;
      }
      return EndOnOkOrCancel(dialog, message, wparam);
    default:
      return EndOnOkOrCancel(dialog, message, wparam);
  }
}

}  // namespace

DialogResult RunSearchResultDialog() { return RunModal(IDD_RESULT, SearchResultDialogProc); }
