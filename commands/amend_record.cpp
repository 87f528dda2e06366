#include "commands/amend_record.h"

#include "commands/records_state.h"
#include "commands/write_outcome.h"
#include "messages/messages.h"
#include "store/field_rules.h"
#include "store/number_index.h"
#include "store/record_writes.h"
#include "store/store_state.h"

bool StoreAmendment(int64_t number, const InventoryRecord& asRead, FileStatus* status) {
  if (RecordNumber(CurrentRecord) != number) {
    Tell(Message::kNumberChanged);
    return false;
  }
  if (!DescriptionLongEnough(CurrentRecord)) {
    Tell(Message::kDescriptionTooShort);
    return false;
  }
  return WriteBackRecord(asRead, status);
}

bool WriteBackRecord(const InventoryRecord& asRead, FileStatus* status) {
  const int64_t number = RecordNumber(CurrentRecord);
  if (!IsLiveNumber(number) || FindSlotByNumber(number) < 0) {
    Tell(Message::kInvalidNumber);
    return false;
  }
  // The record goes back to the slot it came from, also when its number
  // stands in another slot as well; the store refreshes that slot's prefix
  // once the record is in the file.
  const WriteResult written = WriteAmendedRecord(CurrentSlot, CurrentRecord, asRead);
  if (status != nullptr) *status = written.status;
  return TellWriteOutcome(written, Message::kWriteBackMissing, Message::kWriteBackFailed);
}
