// The changes of film.dat that a power cut must not leave half done: the
// layer above the slots (store/slot_io.h) that puts each group of a write
// under its journal (store/journal.h, store/journal_file.h), cut into runs
// and groups by the plan (store/journal_plan.h). A change puts its journal
// on the medium before it touches a slot; the next start finishes it or
// leaves the file alone (store/journal_recovery.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "store/file_status.h"
#include "store/inventory_record.h"

// ---- The record write ----

enum class WriteOutcome {
  kWritten,
  kNotOpened,  // film.dat could not be opened for the change (held by
               // another program for HeldFileWait and longer among the causes)
  kChanged,    // the slot no longer holds the record shown: nothing written
  kFailed,     // a step of the write failed, or it does not fit
};
// What a write did, and when it failed, the step, the file and the cause
// (`status`; ok for a change found or a write that does not fit).
struct WriteResult {
  WriteOutcome outcome = WriteOutcome::kWritten;
  FileStatus status;
  explicit operator bool() const { return outcome == WriteOutcome::kWritten; }
};
// Writes `record` at `slot` of DataPath, but only while the slot still
// holds, byte for byte, `shown`: the record the user saw, which another
// program may have changed or moved since. Opens the file for a change
// (OpenInventoryForChange: never creating it, and holding it against every
// other writer until the last flush); reads the slot's window and checks
// the slot, once; puts the write's journal on the medium; writes the
// record and pushes it to the medium; marks the journal done. A file that
// is no whole number of records counts as changed. A failed, short or
// unflushed write counts as a failure, and then `shown` is written back, so
// that the slot holds the old record or the new one, never a mix of the
// two; should even that fail, the journal stays whole and the next start
// finishes the new record.
WriteResult WriteSlotJournalled(Slot slot, const InventoryRecord& record,
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
  // The write asks once for each change, before it writes any.
  virtual bool Holds(size_t i, const InventoryRecord& now) = 0;
  // What change `i` makes of `now`, which Holds, into `*next`: what is
  // written. Asked again for a group that is written again.
  virtual void Make(size_t i, const InventoryRecord& now, InventoryRecord* next) = 0;
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
  void Make(size_t i, const InventoryRecord& now, InventoryRecord* next) override;

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
  // What failed, as WriteResult's.
  FileStatus status;
};
// Makes `changes` as WriteSlotJournalled writes one record, but in groups
// under one journal each (store/journal_plan.h): every change is checked
// against its slot as it is now before any is written, then each group's
// journal goes to the medium, its slots are written and pushed to the
// medium at once, and it is marked done. The file is held from the first
// check to the last group's flush, and every byte a group writes back (the
// neighbours' in its sectors too) was read under that hold: a group's
// windows are read once when the write has one group, and a later group's
// are read again at its turn, and must still be the bytes checked, but for
// a slot the group before it wrote, which must hold what that group wrote
// (a run cut by a group's room goes on in the next group, whose window
// takes in the slot before). A group that fails is put back as it was; the
// groups before it stay written.
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
