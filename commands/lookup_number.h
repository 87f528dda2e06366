// Bringing an item into hand by its number, through NumberIndex and the
// file: the lookup of Find, Amend, Delete and the back office.
#pragma once

#include <cstdint>

#include "commands/command_result.h"
#include "messages/messages.h"
#include "platform/platform.h"

// Sets CurrentNumber to `number` and reads its record. Done with the item
// in hand (CurrentRecord, CurrentSlot); otherwise CurrentNumber is 0, and
// the message says why.
CommandResult LookupItemByNumber(int64_t number);

// What a film.dat that could not be opened to be read, for `why`, is told
// as: `missing` when it is not there, else `unreadable`, as a file that is
// there and cannot be read now.
Message CannotOpenToRead(platform::FileError why, Message missing, Message unreadable);
