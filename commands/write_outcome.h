// What Amend and Delete come to once their record write is over.
#pragma once

#include "commands/command_result.h"
#include "store/record_writes.h"

// Done, without a message, for a record in the file; else the failure's
// message: `missing` when film.dat could not be opened (another program
// holding it among the causes), `failed` when the write failed (whatever
// the step and cause), and the same message for both commands when another
// program changed the slot. The write's status goes along.
CommandResult OutcomeOf(const WriteResult& written, Message missing, Message failed);
