// The settling of a journal that a power cut left whole beside film.dat:
// at every start and before every command of the back office, and by
// readers that cannot write film.dat (store/journal_overlay.h). The journal
// is examined against film.dat as it is now, and its change finished or the
// file left alone. Every rule of that settling is here; the write that
// leaves such journals is store/journalled_write.h.
#pragma once

#include <cstdint>

#include "platform/platform.h"
#include "store/file_status.h"
#include "store/journal.h"

// What the journal beside DataPath says of film.dat as it is now. A whole
// journal belongs to the file when the file has its size (for an append:
// its old size, its new one or one between), and for each of its runs the
// window around the span outside it still has its checksum, and every sector
// of the span holds its old bytes (none, past an append's old end) or its
// new ones but at most one, which may hold neither or fail to read: what one
// power cut can leave. A run that does not belong makes the whole journal
// foreign.
enum class JournalFinding {
  kNone,        // no whole journal: it was marked done, cut short or damaged
  kUnfinished,  // it belongs, and the span is not all new yet
  kFinished,    // it belongs, and the span is all new already
  kForeign,     // film.dat was changed or replaced since: never to be applied
  kUnreadable,  // the journal or film.dat cannot be read now
};
// `*group`, when given, receives any whole journal found. film.dat is read
// through `data` when given (a handle open for reading), else through a
// handle of its own.
JournalFinding ExamineJournal(JournalGroup* group = nullptr, platform::FileRef data = nullptr);

enum class Settling {
  kNoJournal,  // nothing to do
  kFinished,   // the spans hold the new bytes, the journal is marked done
  kDropped,    // film.dat has changed since: left alone, the journal marked done
  // Settling failed; the journal stays for the next start. An append that
  // could not be finished has been cut back to its old size, as far as that
  // could be done: the file holds the old inventory whole.
  kKept,
  // Another program holds film.dat: the journal is that program's, being
  // written, and is left to it.
  kBusy,
};
// Settles the journal beside DataPath that a power cut left whole, holding
// film.dat against other writers as a change does (a film.dat that cannot
// be opened for writing at all is only read, and a journal that needs no
// write is marked done all the same). Nothing is shown; the caller tells the
// user of kKept, whose failed step `*status` receives when given.
Settling SettleJournal(FileStatus* status = nullptr);

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

// Reads the journal beside DataPath: the size film.dat had before the
// journal's append when that append belongs to the file and is unfinished,
// and `size` lies between its old and new sizes: the inventory a reader
// takes while the append is under way or kept for the next start. `size`
// otherwise.
uint64_t SizeBeforeJournalledAppend(uint64_t size);
