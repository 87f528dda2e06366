// The changes of film.dat that a power cut must not leave half done, and the
// settling at start of what one left: the layer above the slots
// (store/slot_io.h) and the journal (store/journal.h). A change puts its
// journal on the medium before it touches a slot; the next start examines a
// journal left whole against film.dat as it is now, and finishes the change
// or leaves the file alone. Every rule of that settling is here.
#pragma once

#include <cstdint>

#include "store/inventory_record.h"
#include "store/journal.h"

// ---- The record write ----

enum class WriteOutcome {
  kWritten,
  kNotOpened,
  kChanged,  // the slot no longer holds the record shown: nothing written
  kFailed,
};
// Writes `record` at `slot` of DataPath, but only while the slot still
// holds, byte for byte, `shown`: the record the user saw, which another
// program may have changed or moved since. Opens the file for writing (never
// creating it), so that no other program writes it meanwhile; reads the
// slot's window; puts the write's journal on the medium; writes the record
// and pushes it to the medium; marks the journal done. A failed, short or
// unflushed write counts as a failure, and then `shown` is written back, so
// that the slot holds the old record or the new one, never a mix of the two;
// should even that fail, the journal stays whole and the next start finishes
// the new record.
WriteOutcome WriteSlot(int64_t slot, const InventoryRecord& record, const InventoryRecord& shown);

// ---- The journal at start ----

// What the journal beside DataPath says of film.dat as it is now. A whole
// journal belongs to the file when the file has its size, the window around
// the span outside it still has its checksum, and every sector of the span
// holds its old bytes or its new ones but at most one, which may hold
// neither or fail to read: what one power cut can leave.
enum class JournalFinding {
  kNone,        // no whole journal: it was marked done, cut short or damaged
  kUnfinished,  // it belongs, and the span is not all new yet
  kFinished,    // it belongs, and the span is all new already
  kForeign,     // film.dat was changed or replaced since: never to be applied
  kUnreadable,  // the journal or film.dat cannot be read now
};
// `*entry`, when given, receives any whole journal found.
JournalFinding ExamineJournal(JournalEntry* entry = nullptr);

enum class Settling {
  kNoJournal,  // nothing to do
  kFinished,   // the span holds the new bytes, the journal is marked done
  kDropped,    // film.dat has changed since: left alone, the journal marked done
  kKept,       // settling failed; the journal stays for the next start
};
// Settles the journal beside DataPath that a power cut left whole. Nothing is
// shown; the caller tells the user of kKept.
Settling SettleJournal();
