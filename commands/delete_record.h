// What Delete does once the user has confirmed, in the program or the back
// office.
#pragma once

#include <cstdint>

#include "commands/command_result.h"

// The deleted form of the record in hand, item `number`, written to
// CurrentSlot, with the index, prefixes and counts in step. Done, with the
// message that says so, when written; else the message that says why, and
// what failed of the write.
CommandResult DeleteRecordInHand(int64_t number);
