// The command of the "Delete" button.
#pragma once

#include <cstdint>

#include "store/file_status.h"

void DeleteCommand();
// What Delete does once the user has confirmed: the deleted form of the
// record in hand, item `number`, written to CurrentSlot, with the index,
// prefixes and counts in step. Reports the outcome; true when written;
// `*status`, when given, gets what failed of the write, for a caller that
// says more.
bool DeleteRecordInHand(int64_t number, FileStatus* status = nullptr);
