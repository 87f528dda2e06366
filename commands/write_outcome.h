// How Amend and Delete tell the user the outcome of a record write.
#pragma once

#include "messages/messages.h"
#include "store/record_writes.h"

// Nothing for a record in the file; else the failure's message: `missing`
// when film.dat could not be opened, `failed` when the write failed, and
// the same message for both commands when another program changed the slot
// (a file another program holds is told as `missing`, a full disk as
// `failed`). True when the record is in the file. LastWriteOutcome keeps
// `outcome`.
bool TellWriteOutcome(WriteOutcome outcome, Message missing, Message failed);
