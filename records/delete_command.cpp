// Delete: ask, look up, confirm, write the deleted form to the record's own
// slot, and keep the index, the prefixes and the counts in step.
#include <string>

#include "platform/app_handles.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "records/commands.h"
#include "records/dialog_text.h"
#include "records/lookup.h"
#include "records/prompt.h"
#include "records/record_file.h"
#include "records/records_state.h"
#include "store/number_index.h"
#include "store/store_state.h"

namespace {

// "%I64d Item: %s" with the record's Number and Description.
std::wstring ConfirmationCaption() {
  const std::string number = platform::FormatItemNumber(RecordNumber(CurrentRecord)) + " Item: ";
  return std::wstring(number.begin(), number.end()) +
         WideFromField(CurrentRecord.bytes + kDescriptionOffset, kDescriptionSize);
}

}  // namespace

void DeleteCommand() {
  ShowAfterLookup = 0;
  if (!AskForItem("Delete item number / description")) return;
  TakeAnswer(kNoUpperBound);
  LookupItem();
  if (CurrentNumber == 0) return;
  const int64_t number = CurrentNumber;

  platform::Beep(platform::kBeepDefault);
  if (platform::ShowMessageBox(MainWindow, L"Are you sure?", ConfirmationCaption(),
                               platform::kMbOkCancel) == platform::kIdCancel) {
    return;
  }
  const InventoryRecord asRead = CurrentRecord;
  MarkDeleted(CurrentRecord);
  switch (WriteRecordAt(CurrentSlot, CurrentRecord, asRead)) {
    case WriteOutcome::kWritten:
      break;
    case WriteOutcome::kNotOpened:
      platform::Beep(platform::kBeepDefault);
      platform::ShowMessageBox(nullptr, L"Data file: film.dat, not present.", L"Fatal error",
                               platform::kMbOk);
      return;
    case WriteOutcome::kFailed:
      platform::Beep(platform::kBeepDefault);
      platform::ShowMessageBox(MainWindow, L"Not able to write film.dat", L"Problem",
                               platform::kMbOk);
      return;
  }
  PrefixTable[CurrentSlot] = PrefixEntry{{0, 0}};
  // A record already counted as deleted (a stored number below 1, found by
  // its description) keeps its entry and the counts as they are.
  if (MoveToDeletedRun(number, CurrentSlot)) {
    ++DeletedCount;
    --ActiveCount;
  }
  NumberIndex[SlotCount] = IndexEntry{0, 0};
  platform::ShowMessageBox(MainWindow, L"Complete", L"Delete", platform::kMbOk);
}
