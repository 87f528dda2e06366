// Find and Amend: ask, look up, and for Amend edit and write back.
#include "records/find_amend.h"

#include "commands/amend_record.h"
#include "commands/records_state.h"
#include "records/item_dialogs.h"
#include "records/prompt.h"
#include "store/store_state.h"

namespace {
constexpr int64_t kLargestFindNumber = 100000000000000000;  // 10^17
}  // namespace

void FindCommand() { AskAndLookUp("Find number / description", kLargestFindNumber, kShowItemView); }

void AmendCommand() {
  if (!AskAndLookUp("Number/description/fragment", kNoUpperBound, kShowNothing)) return;
  const int64_t number = CurrentNumber;
  const InventoryRecord asRead = CurrentRecord;
  if (RunAmendDialog() != DialogResult::kOk) return;
  TellResult(StoreAmendment(number, asRead));
}
