// Opening the inventory at start: settings, location, creation of a fresh
// file, size checks, and the build of NumberIndex and PrefixTable. Nothing
// here talks to the user: the outcome says what happened and why, and the
// program or the back office chooses the words (messages/opening_messages.h).
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "store/file_status.h"
#include "store/journal_recovery.h"
#include "store/slot_io.h"
#include "store/storage_card.h"

enum class Opening {
  kProgram,   // the program's start: a missing film.dat is made fresh
  kChanging,  // the back office before a change: all of that but the fresh file,
              // and a journal that cannot be settled stops the change
  kMaking,    // the back office before a change that may start a new shop
              // (import --add): as kChanging, a missing film.dat made fresh
  kReading,   // the back office's reports: nothing is made or removed, and a
              // journal that cannot be settled is read through (SettleForReading)
};

// Why the inventory could not be opened.
enum class OpenFailure {
  kNone,                  // it is open, sized and indexed
  kMissing,               // no film.dat to open, and this opening makes none
  kCannotCreate,          // no film.dat, and a fresh one could not be made
  kCannotOpenNew,         // a fresh one was made but cannot be opened
  kEmpty,                 // film.dat holds no record
  kNotWhole,              // its size is no whole number of records, or passes
                          // 32-bit offsets
  kCannotSize,            // its size cannot be taken
  kJournalKept,           // a change's opening: a journal a power cut left could
                          // not be settled, and a change would put its own in its place
  kNoMemory,              // no room for the index
  kCannotOpenForLoading,  // film.dat cannot be opened again to read its slots
};

// Whether film.dat, now `*size` bytes, holds an inventory that can be
// loaded: a whole number of records, at least one, and no offset of it past
// 32 bits. The unfinished tail of an append that is under way, or kept for
// the next start, is no part of the inventory yet: `*size` becomes the size
// before the append.
enum class InventorySize { kWhole, kEmpty, kNotWhole, kTooLarge };
InventorySize JudgeInventorySize(uint64_t* size);

// What an opening of the inventory found, in the order it found it.
struct InventoryOpened {
  // The storage card, when it was chosen and cannot be used (kNoCard,
  // kNoDetail): the choice is reset and the device's film.dat is used.
  CardLookup card = CardLookup::kFound;
  // A journal a power cut left could not be settled: it stays for the next
  // start (an append it could not finish is cut back to its old size).
  bool journalKept = false;
  // What a reading did with a journal a power cut left, and what that
  // journal would change.
  JournalAtOpen journal = JournalAtOpen::kNone;
  JournalGroup readJournal;
  OpenFailure failure = OpenFailure::kNone;
  // The file step that failed, or that kept the journal.
  FileStatus cause;
  // What failed of reading tallo.cfg (LocateInventory): the opening goes on
  // with the settings it had.
  FileStatus settings;
  // film.dat's size, once taken, as an inventory (JudgeInventorySize).
  InventorySize size = InventorySize::kWhole;
  uint64_t bytes = 0;
  explicit operator bool() const { return failure == OpenFailure::kNone; }
};

// Locates, opens and loads the inventory: SettingsImage and DataPath, a
// fresh film.dat where `opening` makes one, a journal a power cut left
// settled (or read through), the size checked, NumberIndex, PrefixTable and
// the counts built.
InventoryOpened LoadInventory(Opening opening);

// LoadInventory's opening without the load: all of it up to the size taken
// and judged, nothing indexed or counted; `*file` is then film.dat open for
// reading (for a check that reads every slot itself).
InventoryOpened OpenSizedInventory(Opening opening, InventoryFile* file);
