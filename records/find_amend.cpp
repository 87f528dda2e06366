// Find and Amend: ask, look up, and for Amend edit and write back.

#include "platform/app_handles.h"
#include "platform/platform.h"
#include "records/commands.h"
#include "records/lookup.h"
#include "records/prompt.h"
#include "records/record_dialogs.h"
#include "records/record_file.h"
#include "records/records_state.h"
#include "store/number_index.h"
#include "store/store_state.h"

namespace {

constexpr int64_t kLargestFindNumber = 100000000000000000;  // 10^17

void Problem(const wchar_t* text) {
  platform::ShowMessageBox(MainWindow, text, L"Problem", platform::kMbOk);
}

}  // namespace

void FindCommand() {
  ShowAfterLookup = 2;
  if (!AskForItem("Find number / description")) {
    CurrentNumber = 0;
    return;
  }
  TakeAnswer(kLargestFindNumber);
  LookupItem();
}

void AmendCommand() {
  ShowAfterLookup = 0;
  if (!AskForItem("Number/description/fragment")) return;
  TakeAnswer(kNoUpperBound);
  LookupItem();
  if (CurrentNumber == 0) return;
  const int64_t number = CurrentNumber;
  const InventoryRecord asRead = CurrentRecord;
  if (RunAmendDialog() <= 0) return;

  if (RecordNumber(CurrentRecord) != number) {
    Problem(L"Number cannot be changed");
    return;
  }
  if (DescriptionLength(CurrentRecord) < 2) {
    platform::Beep(platform::kBeepDefault);
    Problem(L"The description must have at least two characters.");
    return;
  }
  // The record goes back to the slot it came from, so that is the prefix to
  // refresh, also when its number stands in another slot as well; it follows
  // the file, so only once the record is written.
  if (WriteBackRecord(asRead)) {
    PrefixTable[CurrentSlot].bytes[0] = CurrentRecord.bytes[kDescriptionOffset];
    PrefixTable[CurrentSlot].bytes[1] = CurrentRecord.bytes[kDescriptionOffset + 1];
  }
}

bool WriteBackRecord(const InventoryRecord& asRead) {
  const int64_t number = RecordNumber(CurrentRecord);
  if (number <= 0 || FindSlotByNumber(number) < 0) {
    Problem(L"Invalid number.");
    return false;
  }
  switch (WriteRecordAt(CurrentSlot, CurrentRecord, asRead)) {
    case WriteOutcome::kWritten:
      return true;
    case WriteOutcome::kNotOpened:
      Problem(L"Data file: film.dat, not present.");
      return false;
    case WriteOutcome::kFailed:
      Problem(L"Film.dat");
      return false;
  }
  return false;
}
