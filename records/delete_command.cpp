// Delete: ask, look up, confirm, and have the store write the deleted form
// to the record's own slot.
#include "records/delete_command.h"

#include <string>

#include "commands/delete_record.h"
#include "commands/records_state.h"
#include "dialogs/dialog_support.h"
#include "messages/messages.h"
#include "platform/number_text.h"
#include "records/prompt.h"
#include "store/store_state.h"

namespace {

// "%I64d Item: %s" with the record's Number and Description.
std::wstring ConfirmationCaption() {
  const std::string number = platform::FormatItemNumber(RecordNumber(CurrentRecord)) + " Item: ";
  return std::wstring(number.begin(), number.end()) +
         platform::WideFromField(CurrentRecord.bytes + kDescriptionOffset, kDescriptionSize);
}

}  // namespace

void DeleteCommand() {
  if (!AskAndLookUp("Delete item number / description", kNoUpperBound, kShowNothing)) return;
  const int64_t number = CurrentNumber;

  // Only OK deletes: a box that could not be shown (0) confirms nothing.
  if (Tell(Message::kConfirmDelete, nullptr, ConfirmationCaption()) != platform::kIdOk) return;
  TellResult(DeleteRecordInHand(number));
}
