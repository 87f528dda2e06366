// How Amend and Delete tell the user the outcome of a record write.
#pragma once

#include "messages/messages.h"
#include "store/record_writes.h"

// Nothing for a record in the file; else the failure's message: `missing`
// when film.dat could not be opened (another program holding it among the
// causes), `failed` when the write failed (whatever the step and cause),
// and the same message for both commands when another program changed the
// slot. True when the record is in the file.
bool TellWriteOutcome(const WriteResult& written, Message missing, Message failed);
