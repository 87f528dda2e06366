#include "store/journalled_write.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/scoped_file.h"
#include "store/sector_read.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

using platform::Access;
using platform::Disposition;
using platform::FileError;
using platform::kSectorSize;
using platform::ScopedFile;

// The outcome of a write that failed with `cause`.
WriteOutcome Failure(FileError cause) {
  return cause == FileError::kDiskFull ? WriteOutcome::kDiskFull : WriteOutcome::kFailed;
}

// The outcome of a change whose film.dat could not be opened for `cause`.
WriteOutcome NotOpened(FileError cause) {
  return cause == FileError::kBusy ? WriteOutcome::kBusy : WriteOutcome::kNotOpened;
}

// What a whole run's window says of film.dat, now `size` bytes: `now` is the
// window as read (as far as the file goes), `failed[i]` whether its i-th
// sector failed to read.
JournalFinding JudgeRun(const GroupEntry& entry, uint64_t newSize, uint64_t size,
                        const uint8_t* now, const bool* failed) {
  const FileRange span = RunSpan(entry.first, entry.count, newSize);
  const FileRange window = RunWindow(entry.first, entry.count, newSize);
  const uint32_t present =
      static_cast<uint32_t>(std::min<uint64_t>(window.end(), size)) - window.start;
  // Sector i of the window is failed[i]; the span's sectors lie inside it.
  const uint32_t firstSector = window.start / kSectorSize;
  const uint32_t spanSectors = (span.size + kSectorSize - 1) / kSectorSize;
  const uint32_t spanFirst = span.start / kSectorSize - firstSector;
  const uint32_t readSectors =
      present == 0 ? 0 : (window.start + present - 1) / kSectorSize - firstSector + 1;
  for (uint32_t i = 0; i < readSectors; ++i) {
    // The bytes outside the span were never written: one that fails to read
    // cannot be checked now.
    if (failed[i] && (i < spanFirst || i >= spanFirst + spanSectors)) {
      return JournalFinding::kUnreadable;
    }
  }
  if (RunContextSum(entry.first, entry.count, newSize, now) != entry.contextSum) {
    return JournalFinding::kForeign;
  }

  int broken = 0;
  bool allNew = true;
  const uint8_t* spanNow = now + (span.start - window.start);
  const uint32_t oldSize = static_cast<uint32_t>(entry.before.size());
  for (uint32_t i = 0; i < spanSectors; ++i) {
    const uint32_t at = i * kSectorSize;
    const uint32_t n = std::min(kSectorSize, span.size - at);
    // Past an append's old end there was nothing to keep: a sector counts as
    // old while its bytes before that end are, whatever follows them (an
    // extended file holds zeros or noise there until the write reaches it).
    const uint32_t was = at < oldSize ? std::min(n, oldSize - at) : 0;
    const uint64_t from = uint64_t{span.start} + at;
    const uint32_t is =
        from >= size ? 0 : static_cast<uint32_t>(std::min<uint64_t>(n, size - from));
    const bool readable = is == 0 || !failed[spanFirst + i];
    const bool isNew =
        readable && is == n && std::memcmp(spanNow + at, entry.after.data() + at, n) == 0;
    const bool isOld = was == 0 || (readable && is >= was &&
                                    std::memcmp(spanNow + at, entry.before.data() + at, was) == 0);
    allNew = allNew && isNew;
    if (!isNew && !isOld) ++broken;
  }
  if (broken > 1) return JournalFinding::kForeign;
  return allNew ? JournalFinding::kFinished : JournalFinding::kUnfinished;
}

// Writes each run's `after` bytes (or `before`) at its span, then pushes
// them all to the medium.
bool PlaceGroup(platform::FileRef file, const JournalGroup& group, bool after) {
  for (const GroupEntry& e : group.entries) {
    const std::vector<uint8_t>& bytes = after ? e.after : e.before;
    const uint32_t at = RunSpan(e.first, e.count, group.newSize).start;
    if (!WriteBytesUnflushed(file, at, bytes.data(), static_cast<uint32_t>(bytes.size())))
      return false;
  }
  return platform::FlushFile(file);
}

// Cuts an append's file back to the size it had before (shrinking needs no
// room on the medium) and pushes the new end there.
bool CutBack(platform::FileRef file, const JournalGroup& group) {
  return platform::CutFile(file, static_cast<uint32_t>(group.fileSize)) &&
         platform::FlushFile(file);
}

// One group under its journal, into `file` open for writing. The slots were
// checked; `group` holds what the file holds now and what it is to hold.
WriteOutcome WriteGroup(platform::FileRef file, const JournalGroup& group) {
  FileError why = FileError::kNone;
  ScopedFile journal(WriteGroupJournal(group, &why));
  if (!journal) return Failure(why);
  if (PlaceGroup(file, group, /*after=*/true)) {
    MarkJournalDone(journal.get(), /*flush=*/false);
    return WriteOutcome::kWritten;
  }
  why = platform::LastFileError();
  // What was shown goes back, and an append's file to its old size. Should
  // that cut fail, the append is finished instead, or left to the journal
  // and the next start.
  if (group.newSize > group.fileSize && !CutBack(file, group)) {
    if (!PlaceGroup(file, group, /*after=*/true)) return Failure(why);
    MarkJournalDone(journal.get(), /*flush=*/false);
    return WriteOutcome::kWritten;
  }
  if (PlaceGroup(file, group, /*after=*/false)) MarkJournalDone(journal.get(), /*flush=*/true);
  return Failure(why);
}

// Reads `range` of `file` whole into `bytes`.
bool ReadRange(platform::FileRef file, const FileRange& range, std::vector<uint8_t>* bytes) {
  bytes->resize(range.size);
  uint32_t got = 0;
  return platform::SetFilePosition(file, range.start) &&
         platform::ReadFile(file, bytes->data(), range.size, &got) && got == range.size;
}

// The journal bytes of a run of the slots first .. last in a file of `size`.
size_t RunBytes(int64_t first, int64_t last, uint64_t size) {
  const FileRange span = RunSpan(first, last - first + 1, size);
  return kGroupRunHeader + 2 * size_t{span.size};
}

// The run of changes [from, to) of a file of `size`, its window read from
// `file` now. False when the read fails or a slot no longer holds what was
// shown (`*changed` then says which).
bool MakeRun(platform::FileRef file, uint64_t size, SlotChanges& changes, size_t from, size_t to,
             GroupEntry* entry, bool* changed) {
  entry->first = changes.Slot(from);
  entry->count = changes.Slot(to - 1) - changes.Slot(from) + 1;
  const FileRange span = RunSpan(entry->first, entry->count, size);
  const FileRange window = RunWindow(entry->first, entry->count, size);
  std::vector<uint8_t> around;
  if (!ReadRange(file, window, &around)) return false;
  entry->contextSum = RunContextSum(entry->first, entry->count, size, around.data());
  const auto spanAt = around.begin() + (span.start - window.start);
  entry->before.assign(spanAt, spanAt + span.size);
  entry->after = entry->before;
  for (size_t i = from; i < to; ++i) {
    const uint32_t at = SlotOffset(changes.Slot(i)) - span.start;
    InventoryRecord now, next;
    std::memcpy(now.bytes, entry->before.data() + at, kRecordSize);
    if (!changes.Make(i, now, &next)) {
      *changed = true;
      return false;
    }
    std::memcpy(entry->after.data() + at, next.bytes, kRecordSize);
  }
  return true;
}

}  // namespace

bool SlotChangeList::Holds(size_t i, const InventoryRecord& now) {
  return std::memcmp(now.bytes, changes_[i].shown.bytes, kRecordSize) == 0;
}

bool SlotChangeList::Make(size_t i, const InventoryRecord& now, InventoryRecord* next) {
  if (!Holds(i, now)) return false;
  *next = changes_[i].record;
  return true;
}

WriteOutcome WriteSlotJournalled(int64_t slot, const InventoryRecord& record,
                                 const InventoryRecord& shown) {
  const std::vector<SlotChange> one = {SlotChange{slot, record, shown}};
  SlotChangeList change(one);
  return WriteSlotsJournalled(change).outcome;
}

SlotsWritten WriteSlotsJournalled(SlotChanges& changes) {
  const size_t n = changes.Count();
  if (n == 0) return {WriteOutcome::kWritten, 0};
  FileError why = FileError::kNone;
  ScopedFile file(OpenInventoryForChange(&why));
  if (!file) return {NotOpened(why), 0};
  uint64_t size = 0;
  if (!platform::GetFileSize(file.get(), &size)) return {WriteOutcome::kFailed, 0};
  // The file is held for writing from here on: what is checked now stays so.
  SlotReader reader(file.get(), SlotsOf(size));
  // A file that shrank, grew past what loads, or is no whole number of
  // records (an append under way or kept for the next start) was changed by
  // another program: SlotInFile refuses every slot of it.
  for (size_t i = 0; i < n; ++i) {
    const int64_t slot = changes.Slot(i);
    if (!SlotInFile(slot, size) || (i > 0 && slot <= changes.Slot(i - 1))) {
      return {WriteOutcome::kChanged, 0, i};
    }
    InventoryRecord now;
    if (!reader.Read(slot, &now)) return {WriteOutcome::kFailed, 0, i};
    if (!changes.Holds(i, now)) return {WriteOutcome::kChanged, 0, i};
  }
  // Groups of runs: changes closer than three slots share a run, whose
  // window then holds them all; runs are at least three slots apart, so no
  // window meets another run's span.
  size_t done = 0;
  while (done < n) {
    JournalGroup group{size, size, {}};
    size_t body = 0;
    size_t next = done;
    while (next < n) {
      size_t to = next + 1;
      while (to < n && changes.Slot(to) - changes.Slot(to - 1) < 3 &&
             body + RunBytes(changes.Slot(next), changes.Slot(to), size) <= kMaxGroupBody) {
        ++to;
      }
      const size_t bytes = RunBytes(changes.Slot(next), changes.Slot(to - 1), size);
      if (!group.entries.empty() && body + bytes > kMaxGroupBody) break;
      GroupEntry entry;
      bool changed = false;
      if (!MakeRun(file.get(), size, changes, next, to, &entry, &changed)) {
        return {changed ? WriteOutcome::kChanged : WriteOutcome::kFailed, done, done};
      }
      group.entries.push_back(std::move(entry));
      body += bytes;
      next = to;
      // A run cut short by the group's room goes on in the next group.
      if (next < n && changes.Slot(next) - changes.Slot(next - 1) < 3) break;
    }
    const WriteOutcome outcome = WriteGroup(file.get(), group);
    if (outcome != WriteOutcome::kWritten) return {outcome, done, done};
    done = next;
  }
  return {WriteOutcome::kWritten, n};
}

SlotsWritten AppendSlotsJournalled(uint64_t size, const RecordSource& records) {
  const size_t n = records.Count();
  if (n == 0) return {WriteOutcome::kWritten, 0};
  if (size == 0 || size % kRecordSize != 0 ||
      size + uint64_t{n} * kRecordSize > kLargestInventorySize) {
    return {WriteOutcome::kFailed, 0};
  }
  FileError why = FileError::kNone;
  ScopedFile file(OpenInventoryForChange(&why));
  if (!file) return {NotOpened(why), 0};
  uint64_t now = 0;
  if (!platform::GetFileSize(file.get(), &now)) return {WriteOutcome::kFailed, 0};
  if (now != size) return {WriteOutcome::kChanged, 0};
  // The run's span starts in the last old sector, whose old bytes it carries.
  constexpr size_t kGroupSlots = (kMaxGroupBody - kGroupRunHeader - kSectorSize) / kRecordSize;
  size_t done = 0;
  while (done < n) {
    const size_t count = std::min(n - done, kGroupSlots);
    GroupEntry entry;
    entry.first = SlotsOf(size);
    entry.count = static_cast<Slot>(count);
    const uint64_t newSize = size + uint64_t{count} * kRecordSize;
    const FileRange span = RunSpan(entry.first, entry.count, newSize);
    const FileRange window = RunWindow(entry.first, entry.count, newSize);
    std::vector<uint8_t> head;
    if (!ReadRange(file.get(), FileRange{window.start, static_cast<uint32_t>(size) - window.start},
                   &head)) {
      return {WriteOutcome::kFailed, done, done};
    }
    entry.contextSum = RunContextSum(entry.first, entry.count, newSize, head.data());
    entry.before.assign(head.begin() + (span.start - window.start), head.end());
    entry.after = entry.before;
    for (size_t i = done; i < done + count; ++i) {
      const InventoryRecord record = records.Record(i);
      entry.after.insert(entry.after.end(), record.bytes, record.bytes + kRecordSize);
    }
    const JournalGroup group{size, newSize, {std::move(entry)}};
    const WriteOutcome outcome = WriteGroup(file.get(), group);
    if (outcome != WriteOutcome::kWritten) return {outcome, done, done};
    size = newSize;
    done += count;
  }
  return {WriteOutcome::kWritten, n};
}

JournalFinding ExamineJournal(JournalGroup* found, platform::FileRef given) {
  JournalGroup group;
  switch (ReadJournal(&group)) {
    case JournalRead::kNone:
      return JournalFinding::kNone;
    case JournalRead::kUnreadable:
      return JournalFinding::kUnreadable;
    case JournalRead::kWhole:
      break;
  }
  if (found != nullptr) *found = group;

  ScopedFile own(given == nullptr ? OpenInventoryForReading() : nullptr);
  const platform::FileRef data = given != nullptr ? given : own.get();
  uint64_t size = 0;
  if (data == nullptr || !platform::GetFileSize(data, &size)) return JournalFinding::kUnreadable;
  const bool append = group.newSize > group.fileSize;
  if (append ? size < group.fileSize || size > group.newSize : size != group.fileSize) {
    return JournalFinding::kForeign;
  }
  bool unreadable = false;
  bool allNew = true;
  for (const GroupEntry& e : group.entries) {
    const FileRange window = RunWindow(e.first, e.count, group.newSize);
    const uint32_t present =
        static_cast<uint32_t>(std::min<uint64_t>(window.end(), size)) - window.start;
    std::vector<uint8_t> around(window.size);
    const std::unique_ptr<bool[]> failed(new bool[window.size / kSectorSize + 2]);
    if (ReadBySector(data, window.start, present, around.data(), failed.get()) != present) {
      unreadable = true;
      continue;
    }
    switch (JudgeRun(e, group.newSize, size, around.data(), failed.get())) {
      case JournalFinding::kForeign:
        return JournalFinding::kForeign;
      case JournalFinding::kUnreadable:
        unreadable = true;
        break;
      case JournalFinding::kUnfinished:
        allNew = false;
        break;
      default:
        break;
    }
  }
  if (unreadable) return JournalFinding::kUnreadable;
  return allNew ? JournalFinding::kFinished : JournalFinding::kUnfinished;
}

Settling SettleJournal(FileError* why) {
  FileError ignored;
  if (why == nullptr) why = &ignored;
  *why = FileError::kNone;
  // film.dat is held first, and examined through the handle that holds it:
  // a journal beside a file that another program holds may be that
  // program's, being written now, and is never touched.
  ScopedFile data(OpenInventoryForChange(why));
  if (!data && *why == FileError::kBusy) return Settling::kBusy;
  JournalGroup group;
  const JournalFinding finding = ExamineJournal(&group, data.get());
  switch (finding) {
    case JournalFinding::kNone:
      return Settling::kNoJournal;
    case JournalFinding::kUnreadable:
      return Settling::kKept;
    case JournalFinding::kUnfinished:
      if (!data) return Settling::kKept;
      // Every run's new span, the finished ones' too: the same bytes again.
      if (!PlaceGroup(data.get(), group, /*after=*/true)) {
        *why = platform::LastFileError();
        // An append that cannot be finished now leaves the old inventory
        // whole: the file goes back to its old size, which the journal still
        // finds unfinished at the next start.
        if (group.newSize > group.fileSize) CutBack(data.get(), group);
        return Settling::kKept;
      }
      break;
    case JournalFinding::kFinished:
    case JournalFinding::kForeign:
      break;
  }
  // Should the mark not reach the medium, the next start finds the spans
  // finished already, or film.dat still changed.
  ScopedFile journal(
      platform::OpenFile(JournalPath(DataPath), Access::kWrite, Disposition::kOpenExisting));
  if (journal) MarkJournalDone(journal.get(), /*flush=*/true);
  return finding == JournalFinding::kForeign ? Settling::kDropped : Settling::kFinished;
}

uint64_t SizeBeforeJournalledAppend(uint64_t size) {
  JournalGroup group;
  if (ExamineJournal(&group) != JournalFinding::kUnfinished || group.newSize <= group.fileSize ||
      size <= group.fileSize || size >= group.newSize) {
    return size;
  }
  return group.fileSize;
}
