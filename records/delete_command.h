// The command of the "Delete" button.
#pragma once

#include <cstdint>

void DeleteCommand();
// What Delete does once the user has confirmed: the deleted form of the
// record in hand, item `number`, written to CurrentSlot, with the index,
// prefixes and counts in step. Reports the outcome; true when written.
bool DeleteRecordInHand(int64_t number);
