// The one place that reads and writes the slots of film.dat: whole records
// at byte offset slot * 1874, one at a time or in runs of consecutive slots.
// These are the bare reads and writes, each of all it is asked for or a
// failure (store/whole_io.h); a write that must survive a power cut goes
// through store/journalled_write.h.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "store/file_status.h"
#include "store/inventory_record.h"
#include "store/journal.h"
#include "store/journal_overlay.h"

// Opens `path` as platform::OpenFile does, but while another program holds
// it (platform::FileError::kBusy) tries again for up to HeldFileWait
// milliseconds.
platform::Opened OpenWaiting(const std::wstring& path, platform::Access access,
                             platform::Disposition disposition);

// film.dat open for reading, as its readers see it: the file itself, or,
// while a journal that could not be settled is read through
// (store/journal_overlay.h), the file with the journal's new spans over it
// and the size the journal gives it. Closes itself; Close() ends it early.
class InventoryFile {
 public:
  InventoryFile() = default;
  InventoryFile(platform::Opened opened, std::shared_ptr<const JournalOverlay> through);
  ~InventoryFile() { Close(); }
  InventoryFile(InventoryFile&& other) noexcept { *this = std::move(other); }
  InventoryFile& operator=(InventoryFile&& other) noexcept;

  explicit operator bool() const { return file_ != nullptr; }
  // Why it did not open; kNone otherwise.
  platform::FileError error() const { return error_; }
  void Close();

  // As platform::SetFilePosition, ReadFile and GetFileSize, over the file
  // as its readers see it.
  platform::FileResult SetPosition(uint32_t offset);
  platform::FileResult Read(void* buffer, uint32_t count, uint32_t* transferred);
  platform::FileResult GetSize(uint64_t* size);
  // The file itself, under any journal, for a look at what it holds.
  platform::FileRef raw() const { return file_; }

 private:
  platform::FileRef file_ = nullptr;
  platform::FileError error_ = platform::FileError::kNone;
  std::shared_ptr<const JournalOverlay> through_;
  uint64_t position_ = 0;  // the position while read through a journal
};

// Opens DataPath for reading, through the journal in use (JournalInUse)
// when it lies over DataPath.
InventoryFile OpenInventoryForReading();
// Opens DataPath for a change, for reading and writing: the handle holds
// film.dat against every other writer (platform::OpenFile) until it is
// closed, so that what the change checks through it stays so until its
// last flush. kBusy once another program has held it for HeldFileWait.
platform::Opened OpenInventoryForChange();

// Reads slot `slot` into `record`. A failed or short read fails and leaves
// `record` as it was, so that no half-read record is ever in hand.
bool ReadSlot(InventoryFile& file, Slot slot, InventoryRecord* record);

// How many slots a run read takes at most.
constexpr Slot kReadRunSlots = 256;

// Room for a run of up to `capacity` consecutive records, read in one call.
// The room starts on a memory page: the copy from the file cache is then
// markedly faster than into a heap block, which starts just past one.
class SlotRun {
 public:
  explicit SlotRun(Slot capacity);
  ~SlotRun();
  SlotRun(const SlotRun&) = delete;
  SlotRun& operator=(const SlotRun&) = delete;

  // False when the room could not be had; callers then read slot by slot.
  explicit operator bool() const { return bytes_ != nullptr; }
  Slot capacity() const { return capacity_; }
  // Reads slots first .. first + count - 1 (count at most the capacity). A
  // failed or short read fails and leaves no record of the run usable.
  bool Read(InventoryFile& file, Slot first, Slot count);
  // The same for the `count` slots that follow the last read of this run,
  // from the file's position, which nobody else has moved since: a run of
  // runs through the file without a seek before each.
  bool ReadFollowing(InventoryFile& file, Slot count);
  // Record `slot` of the last successful read, or nullptr when that read did
  // not cover it.
  const uint8_t* Record(Slot slot) const;

 private:
  uint8_t* bytes_;
  Slot capacity_;
  bool Fill(InventoryFile& file, Slot first, Slot count);

  Slot first_ = 0;
  Slot count_ = 0;
};

// Slots read by their number, in any order, for a caller that mostly goes
// forward through the file (the rows of an exported sheet, the changes of a
// large write): when a slot follows close after the last one read, a run of
// slots is read from it, so that such a caller reads the file front to back
// in large reads; other slots are read alone. `slots` bounds the runs.
class SlotReader {
 public:
  SlotReader(InventoryFile& file, Slot slots) : file_(file), slots_(slots) {}
  // As ReadSlot.
  bool Read(Slot slot, InventoryRecord* record);

 private:
  InventoryFile& file_;
  Slot slots_;
  SlotRun run_{kReadRunSlots};
  Slot last_ = -1;
};

// Reads slots 0 .. slots - 1 of `file` in order, in runs of up to
// kReadRunSlots consecutive slots, and hands each run to `visit` as its first
// slot, its records one after another and their count; the records are valid
// during the call only. A run that fails or comes up short is read again a
// record at a time from its start, so the read stops at the very record a
// record-by-record read would stop at; without room for a run, every record
// is read on its own. `*last` is the room for those single reads and ends
// holding the last record read (as it was when none was). Returns the first
// slot that could not be read, or `slots`.
using SlotRunVisitor = std::function<void(Slot first, const uint8_t* records, Slot count)>;
Slot ReadSlotRuns(InventoryFile& file, Slot slots, InventoryRecord* last,
                  const SlotRunVisitor& visit);
// The same, one record at a time: `visit` gets each slot and its record.
Slot ReadEachSlot(InventoryFile& file, Slot slots,
                  const std::function<void(Slot slot, const InventoryRecord&)>& visit);

// Writes each run's `after` bytes (or `before`) of a group's journal at its
// span of a file open for writing, then pushes them all to the medium. On a
// failure, the step that failed.
FileStatus WriteSpans(platform::FileRef file, const JournalGroup& group, bool after);
// Cuts a file open for writing back to `size` bytes (shrinking needs no
// room on the medium) and pushes the new end there.
FileStatus CutToSize(platform::FileRef file, uint64_t size);
