#include "commands/delete_record.h"

#include "commands/records_state.h"
#include "commands/write_outcome.h"
#include "messages/messages.h"
#include "store/record_writes.h"
#include "store/store_state.h"

bool DeleteRecordInHand(int64_t number, FileStatus* status) {
  const InventoryRecord asRead = CurrentRecord;
  MarkDeleted(CurrentRecord);
  const WriteResult written = WriteDeletedRecord(CurrentSlot, number, CurrentRecord, asRead);
  if (status != nullptr) *status = written.status;
  if (!TellWriteOutcome(written, Message::kDeleteMissing, Message::kDeleteFailed)) return false;
  Tell(Message::kDeleteComplete);
  return true;
}
