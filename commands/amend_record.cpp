#include "commands/amend_record.h"

#include "commands/records_state.h"
#include "commands/write_outcome.h"
#include "messages/messages.h"
#include "store/field_rules.h"
#include "store/number_index.h"
#include "store/record_writes.h"
#include "store/store_state.h"

CommandResult StoreAmendment(int64_t number, const InventoryRecord& asRead) {
  if (RecordNumber(CurrentRecord) != number) return Refused(Message::kNumberChanged);
  if (!DescriptionLongEnough(CurrentRecord)) return Refused(Message::kDescriptionTooShort);
  return WriteBackRecord(asRead);
}

CommandResult WriteBackRecord(const InventoryRecord& asRead) {
  const int64_t number = RecordNumber(CurrentRecord);
  if (!IsLiveNumber(number) || FindSlotByNumber(number) < 0) {
    return Refused(Message::kInvalidNumber);
  }
  // The record goes back to the slot it came from, also when its number
  // stands in another slot as well; the store refreshes that slot's prefix
  // once the record is in the file.
  const WriteResult written = WriteAmendedRecord(CurrentSlot, CurrentRecord, asRead);
  return OutcomeOf(written, Message::kWriteBackMissing, Message::kWriteBackFailed);
}
