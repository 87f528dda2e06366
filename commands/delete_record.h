// What Delete does once the user has confirmed, in the program or the back
// office.
#pragma once

#include <cstdint>

// The deleted form of the record in hand, item `number`, written to
// CurrentSlot, with the index, prefixes and counts in step. Reports the
// outcome; true when written.
bool DeleteRecordInHand(int64_t number);
