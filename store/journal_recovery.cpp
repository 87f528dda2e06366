#include "store/journal_recovery.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

#include "platform/scoped_file.h"
#include "store/journal_file.h"
#include "store/journal_overlay.h"
#include "store/sector_read.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

using platform::Access;
using platform::Disposition;
using platform::FileError;
using platform::kSectorSize;
using platform::ScopedFile;

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

}  // namespace

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

  // The file itself: what the journal's spans are looked for in.
  InventoryFile own = given == nullptr ? OpenInventoryForReading() : InventoryFile();
  const platform::FileRef data = given != nullptr ? given : own.raw();
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

Settling SettleJournal(FileStatus* status) {
  FileStatus ignored;
  if (status == nullptr) status = &ignored;
  *status = FileStatus{};
  // film.dat is held first, and examined through the handle that holds it:
  // a journal beside a file that another program holds may be that
  // program's, being written now, and is never touched.
  ScopedFile data(OpenInventoryForChange());
  if (!data && data.error() == FileError::kBusy) return Settling::kBusy;
  JournalGroup group;
  const JournalFinding finding = ExamineJournal(&group, data.get());
  switch (finding) {
    case JournalFinding::kNone:
      return Settling::kNoJournal;
    case JournalFinding::kUnreadable:
      *status = FileStatus{FileStep::kRead, JournalPath(DataPath), FileError::kNone};
      return Settling::kKept;
    case JournalFinding::kUnfinished:
      if (!data) {
        *status = Failed(FileStep::kOpen, DataPath, data.error());
        return Settling::kKept;
      }
      // Every run's new span, the finished ones' too: the same bytes again.
      *status = WriteSpans(data.get(), group, /*after=*/true);
      if (!status->ok()) {
        // An append that cannot be finished now leaves the old inventory
        // whole: the file goes back to its old size, which the journal still
        // finds unfinished at the next start.
        if (group.newSize > group.fileSize) CutToSize(data.get(), group.fileSize);
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

JournalAtOpen SettleForReading(JournalGroup* group) {
  if (!JournalFileExists()) return JournalAtOpen::kNone;
  const JournalFinding finding = ExamineJournal(group);
  if (finding == JournalFinding::kNone) return JournalAtOpen::kNone;
  switch (SettleJournal()) {
    case Settling::kNoJournal:
      return JournalAtOpen::kNone;
    case Settling::kFinished:
      return finding == JournalFinding::kUnfinished ? JournalAtOpen::kSettled
                                                    : JournalAtOpen::kNone;
    case Settling::kDropped:
      return JournalAtOpen::kDropped;
    case Settling::kBusy:
      return JournalAtOpen::kNone;  // another program's, being written now
    case Settling::kKept:
      break;
  }
  if (finding != JournalFinding::kUnfinished) return JournalAtOpen::kUnreadable;
  ReadThroughJournal(*group, DataPath);
  return JournalAtOpen::kReadThrough;
}

uint64_t SizeBeforeJournalledAppend(uint64_t size) {
  JournalGroup group;
  if (ExamineJournal(&group) != JournalFinding::kUnfinished || group.newSize <= group.fileSize ||
      size <= group.fileSize || size >= group.newSize) {
    return size;
  }
  return group.fileSize;
}
