#include "commands/lookup_number.h"

#include <string>

#include "commands/records_state.h"
#include "platform/number_text.h"
#include "store/number_index.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

// Ends the lookup with nothing in hand, and the message that says why.
CommandResult NothingInHand(Message why, const std::wstring& detail = L"") {
  CurrentNumber = 0;
  return Refused(why, detail);
}

}  // namespace

Message CannotOpenToRead(platform::FileError why, Message missing, Message unreadable) {
  return why == platform::FileError::kMissing ? missing : unreadable;
}

CommandResult LookupItemByNumber(int64_t number) {
  CurrentNumber = number;
  const int64_t slot = FindSlotByNumber(number);
  if (slot < 0) {
    const std::string target = platform::FormatItemNumber(number);
    return NothingInHand(Message::kNoSuchItem, std::wstring(target.begin(), target.end()));
  }
  InventoryFile file = OpenInventoryForReading();
  if (!file) {
    return NothingInHand(
        CannotOpenToRead(file.error(), Message::kInventoryMissing, Message::kUnableToReadRecord));
  }
  const bool read = ReadSlot(file, slot, &CurrentRecord);
  file.Close();
  if (!read) return NothingInHand(Message::kUnableToReadRecord);
  // Another program moved the slots since start-up: the index would show
  // another item under this number.
  if (RecordNumber(CurrentRecord) != number) return NothingInHand(Message::kSlotMoved);
  CurrentSlot = slot;
  return CommandResult{true, std::nullopt, {}, L""};
}
