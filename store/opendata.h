// Opening the inventory at start: settings, location, creation of a fresh
// file, size checks, and the build of NumberIndex and PrefixTable.
#pragma once

#include <cstdint>

#include "store/journal.h"

enum class Opening {
  kProgram,   // the program's start: a missing film.dat is made fresh
  kChanging,  // the back office before a change: all of that but the fresh file,
              // and a journal that cannot be settled stops the change
  kReading,   // the back office's reports: nothing is made or removed, and a
              // journal that cannot be settled is read through (SettleForReading)
};
// True when the inventory is open, sized and indexed; false after a fatal
// failure that has already been shown to the user, or, for the back
// office, when there is no film.dat to open (nothing is shown then).
bool Opendata(Opening opening = Opening::kProgram);

// What a reader did with a whole journal a power cut left beside film.dat.
enum class JournalAtOpen {
  kNone,         // none was left (or its change was in the file already)
  kSettled,      // its change is finished now
  kDropped,      // film.dat had changed since: left alone, the journal done
  kReadThrough,  // it could not be settled (film.dat cannot be written): the
                 // file is read as the journal leaves it (store/journal_overlay.h)
  kUnreadable,   // the journal or the slots it covers cannot be read now
};
// Settles the journal beside DataPath as start-up does where film.dat can be
// written, and reads film.dat through it where it cannot, so that a reader
// sees what was committed. `*group` gets the journal that was found.
JournalAtOpen SettleForReading(JournalGroup* group);

// Whether an inventory file of `size` bytes can be loaded: it must hold a
// whole number of records, at least one, and no offset of it may pass 32
// bits.
enum class InventorySize { kWhole, kEmpty, kNotWhole, kTooLarge };
InventorySize JudgeInventorySize(uint64_t size);
