// The changes of film.dat that a power cut must not leave half done, and the
// settling at start of what one left: the layer above the slots
// (store/slot_io.h) and the journal (store/journal.h). A change puts its
// journal on the medium before it touches a slot; the next start examines a
// journal left whole against film.dat as it is now, and finishes the change
// or leaves the file alone. Every rule of that settling is here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/inventory_record.h"
#include "store/journal.h"

// ---- The record write ----

enum class WriteOutcome {
  kWritten,
  kNotOpened,
  kChanged,  // the slot no longer holds the record shown: nothing written
  kFailed,
  // Another program held film.dat for HeldFileWait and longer: nothing
  // written. (Where the program tells the user, as kNotOpened.)
  kBusy,
  // Failed as kFailed, for want of room on the disk or card. (Where the
  // program tells the user, as kFailed.)
  kDiskFull,
};
// Writes `record` at `slot` of DataPath, but only while the slot still
// holds, byte for byte, `shown`: the record the user saw, which another
// program may have changed or moved since. Opens the file for a change
// (OpenInventoryForChange: never creating it, and holding it against every
// other writer until the last flush); reads the slot's window; puts the
// write's journal on the medium; writes the record and pushes it to the
// medium; marks the journal done. A file that is no whole number of records
// counts as changed. A failed, short or unflushed write counts as a failure,
// and then `shown` is written back, so that the slot holds the old record or
// the new one, never a mix of the two; should even that fail, the journal
// stays whole and the next start finishes the new record.
WriteOutcome WriteSlotJournalled(Slot slot, const InventoryRecord& record,
                                 const InventoryRecord& shown);

// ---- Many slots at once ----

// The changes of a write of many slots, each made from the slot's record as
// the write reads it under its hold of the file: so that no more than the
// slots and what to do to them need be held while a large write is made.
class SlotChanges {
 public:
  virtual ~SlotChanges() = default;
  virtual size_t Count() const = 0;
  // The slot of change `i`: ascending with `i`, each slot once.
  virtual int64_t Slot(size_t i) const = 0;
  // Whether `now`, slot Slot(i)'s record as read now, is still the record
  // change `i` was made for (another program may have changed it since).
  virtual bool Holds(size_t i, const InventoryRecord& now) = 0;
  // What change `i` makes of `now`, which Holds, into `*next`; false when
  // `now` no longer holds. Its `*next` is what is written.
  virtual bool Make(size_t i, const InventoryRecord& now, InventoryRecord* next) = 0;
};

// A change as a pair of records: what the slot held when it was read and
// shown, and what it is to hold.
struct SlotChange {
  Slot slot = 0;
  InventoryRecord record;  // what the slot is to hold
  InventoryRecord shown;   // what it held when it was read
};
class SlotChangeList : public SlotChanges {
 public:
  explicit SlotChangeList(const std::vector<SlotChange>& changes) : changes_(changes) {}
  size_t Count() const override { return changes_.size(); }
  int64_t Slot(size_t i) const override { return changes_[i].slot; }
  bool Holds(size_t i, const InventoryRecord& now) override;
  bool Make(size_t i, const InventoryRecord& now, InventoryRecord* next) override;

 private:
  const std::vector<SlotChange>& changes_;
};

// The records of an append, each made when the append reaches it: so that
// no more than one group of them need be held while a large append is made.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  virtual size_t Count() const = 0;
  // Record `i`; the same each time it is asked for.
  virtual InventoryRecord Record(size_t i) const = 0;
};
class RecordList : public RecordSource {
 public:
  explicit RecordList(const std::vector<InventoryRecord>& records) : records_(records) {}
  size_t Count() const override { return records_.size(); }
  InventoryRecord Record(size_t i) const override { return records_[i]; }

 private:
  const std::vector<InventoryRecord>& records_;
};

struct SlotsWritten {
  WriteOutcome outcome = WriteOutcome::kWritten;
  // How many of the changes, from the first, are in the file.
  size_t written = 0;
  // Unless all are: the change that stopped the write (found changed, or
  // the first of the group that failed).
  size_t stopped = 0;
};
// Makes `changes` as WriteSlotJournalled writes one record, but in groups under one
// journal each (store/journal.h): every change is checked against its slot
// as it is now before any is written, then each group's journal goes to the
// medium, its slots are written and pushed to the medium at once, and it is
// marked done. The file is held from the first check to the last group's
// flush, and every byte a group writes back (the neighbours' in its sectors
// too) was read under that hold. A group that fails is put back as it was;
// the groups before it stay written.
SlotsWritten WriteSlotsJournalled(SlotChanges& changes);

// Appends `records` as new slots at the end of DataPath, but only while the
// file still has `size` bytes (a whole number of records, `records` not
// taking it past kLargestInventorySize), in groups under one journal each,
// the file held throughout. A power cut leaves the file at the size a group
// started from or with all of its slots whole, and the next start finishes a
// group whose journal is whole. A group that fails (a full disk, say) cuts
// the file back to the size it started from, which needs no room; should
// the cut fail, the group is written again, and when even that fails its
// journal stays whole for the next start.
SlotsWritten AppendSlotsJournalled(uint64_t size, const RecordSource& records);

// ---- The journal at start ----

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
// user of kKept, whose cause `*why` receives when given.
Settling SettleJournal(platform::FileError* why = nullptr);

// The size film.dat had before the append of the whole journal beside it
// when that append belongs to the file and is unfinished, and `size` lies
// between its old and new sizes: the inventory a reader takes while the
// append is under way or kept for the next start. `size` otherwise.
uint64_t SizeBeforeJournalledAppend(uint64_t size);
