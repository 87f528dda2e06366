#include "commands/delete_record.h"

#include "commands/records_state.h"
#include "commands/write_outcome.h"
#include "messages/messages.h"
#include "store/record_writes.h"
#include "store/store_state.h"

bool DeleteRecordInHand(int64_t number) {
  const InventoryRecord asRead = CurrentRecord;
  MarkDeleted(CurrentRecord);
  if (!TellWriteOutcome(StoreDeletedRecord(CurrentSlot, number, CurrentRecord, asRead),
                        Message::kDeleteMissing, Message::kDeleteFailed)) {
    return false;
  }
  Tell(Message::kDeleteComplete);
  return true;
}
