// Opening the inventory at start: settings, location, creation of a fresh
// file, size checks, and the build of NumberIndex and PrefixTable.
#pragma once

#include <cstdint>

enum class Opening {
  kProgram,   // the program's start: a missing film.dat is made fresh
  kChanging,  // the back office before a change: all of that but the fresh file
  kReading,   // the back office's reports: nothing is written, a journal left
              // by a power cut stays as it is (check reports it)
};
// True when the inventory is open, sized and indexed; false after a fatal
// failure that has already been shown to the user, or, for the back
// office, when there is no film.dat to open (nothing is shown then).
bool Opendata(Opening opening = Opening::kProgram);

// Whether an inventory file of `size` bytes can be loaded: it must hold a
// whole number of records, at least one, and no offset of it may pass 32
// bits.
enum class InventorySize { kWhole, kEmpty, kNotWhole, kTooLarge };
InventorySize JudgeInventorySize(uint64_t size);
