#include "commands/delete_record.h"

#include "commands/records_state.h"
#include "commands/write_outcome.h"
#include "messages/messages.h"
#include "store/record_writes.h"
#include "store/store_state.h"

CommandResult DeleteRecordInHand(int64_t number) {
  const InventoryRecord asRead = CurrentRecord;
  MarkDeleted(CurrentRecord);
  const WriteResult written = WriteDeletedRecord(CurrentSlot, number, CurrentRecord, asRead);
  CommandResult result = OutcomeOf(written, Message::kDeleteMissing, Message::kDeleteFailed);
  if (result) result.message = Message::kDeleteComplete;
  return result;
}
