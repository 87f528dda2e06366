// What Delete does once the user has confirmed, in the program or the back
// office.
#pragma once

#include <cstdint>

#include "store/file_status.h"

// The deleted form of the record in hand, item `number`, written to
// CurrentSlot, with the index, prefixes and counts in step. Reports the
// outcome; true when written; `*status`, when given, gets what failed of
// the write, for a caller that says more.
bool DeleteRecordInHand(int64_t number, FileStatus* status = nullptr);
