// The search-result dialog: one match at a time, "Next" goes on scanning
// from the slot shown.

#include "platform/app_handles.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "records/dialog_text.h"
#include "records/lookup.h"
#include "records/records_state.h"
#include "resources/resource_ids.h"
#include "store/inventory_record.h"
#include "store/store_state.h"

namespace {

void ShowMatch(platform::WindowRef dialog) {
  const InventoryRecord& r = CurrentRecord;
  platform::SetControlText(dialog, IDC_NUMBER,
                           WideThroughScratch(platform::FormatItemNumber(RecordNumber(r))));
  platform::SetControlText(dialog, IDC_DESCRIPTION,
                           WideFromField(r.bytes + kDescriptionOffset, kDescriptionSize));
  platform::SetControlText(dialog, IDC_RESULT_PRICE,
                           WideThroughScratch(platform::FormatPrice(RecordPrice(r))));
  platform::SetControlUnsigned(dialog, IDC_RESULT_IN_STOCK, RecordInStock(r));
}

// Ends the dialog with nothing in hand after telling the user why.
void GiveUp(platform::WindowRef dialog, const wchar_t* text, const wchar_t* caption) {
  platform::ShowMessageBox(dialog, text, caption, platform::kMbOk);
  CurrentNumber = 0;
  platform::EndDialog(dialog, 0);
}

void Next(platform::WindowRef dialog) {
  platform::ScopedFile file(OpenDataForReading());
  if (!file) {
    GiveUp(dialog, L"Data file: film.dat, not present.", L"Fatal error");
    return;
  }
  ++CurrentSlot;
  const ScanOutcome outcome = ScanDescriptions(file.get());
  file.Close();
  switch (outcome) {
    case ScanOutcome::kMatch:
      ShowMatch(dialog);
      return;
    case ScanOutcome::kReadFailed:
      GiveUp(dialog, L"Film.dat", L"Problem");
      return;
    case ScanOutcome::kExhausted:
      platform::Beep(platform::kBeepAsterisk);
      GiveUp(dialog, L"No match found", L"Finished");
      return;
  }
}

intptr_t SearchResultDialogProc(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                                intptr_t /*lparam*/) {
  if (EndOnCancelOrClose(dialog, message, wparam)) return 1;
  switch (message) {
    case platform::kMsgInitDialog:
      platform::SetTitle(dialog, L"Inventory");
      ShowMatch(dialog);
      platform::SetFocus(platform::ControlWindow(dialog, IDC_NEXT));
      return 0;  // the focus is placed
    case platform::kMsgCommand:
      switch (CommandId(wparam)) {
        case IDOK:
          platform::EndDialog(dialog, 1);
          return 1;
        case IDC_NEXT:
          Next(dialog);
          return 1;
      }
      return 0;
  }
  return 0;
}

}  // namespace

intptr_t RunSearchResultDialog() {
  return platform::RunDialog(IDD_RESULT, MainWindow, SearchResultDialogProc);
}
