#include "store/journalled_write.h"

#include <algorithm>
#include <cstring>

#include "platform/scoped_file.h"
#include "store/sector_read.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

using platform::Access;
using platform::Disposition;
using platform::kSectorSize;
using platform::ScopedFile;

// What a whole journal's window says of film.dat: `now` is the window as read,
// `failed[i]` whether its i-th sector failed to read.
JournalFinding JudgeWindow(const JournalEntry& entry, const uint8_t* now, const bool* failed) {
  const FileRange span = SlotSpan(entry.slot, entry.fileSize);
  const FileRange window = SlotWindow(entry.slot, entry.fileSize);
  // Sector i of the window is failed[i]; the span's sectors lie inside it.
  const uint32_t firstSector = window.start / kSectorSize;
  const uint32_t spanSectors = (span.size + kSectorSize - 1) / kSectorSize;
  const uint32_t spanFirst = span.start / kSectorSize - firstSector;
  const uint32_t windowSectors = (window.end() - 1) / kSectorSize - firstSector + 1;
  for (uint32_t i = 0; i < windowSectors; ++i) {
    // The bytes outside the span were never written: one that fails to read
    // cannot be checked now.
    if (failed[i] && (i < spanFirst || i >= spanFirst + spanSectors)) {
      return JournalFinding::kUnreadable;
    }
  }
  if (WindowContextSum(entry.slot, entry.fileSize, now) != entry.contextSum) {
    return JournalFinding::kForeign;
  }

  int broken = 0;
  bool allNew = true;
  const uint8_t* spanNow = now + (span.start - window.start);
  for (uint32_t i = 0; i < spanSectors; ++i) {
    const uint32_t at = i * kSectorSize;
    const uint32_t n = std::min(kSectorSize, span.size - at);
    const bool readable = !failed[spanFirst + i];
    const bool isNew = readable && std::memcmp(spanNow + at, entry.after + at, n) == 0;
    const bool isOld = readable && std::memcmp(spanNow + at, entry.before + at, n) == 0;
    allNew = allNew && isNew;
    if (!isNew && !isOld) ++broken;
  }
  if (broken > 1) return JournalFinding::kForeign;
  return allNew ? JournalFinding::kFinished : JournalFinding::kUnfinished;
}

}  // namespace

WriteOutcome WriteSlot(int64_t slot, const InventoryRecord& record, const InventoryRecord& shown) {
  ScopedFile file(platform::OpenFile(DataPath, Access::kReadWrite, Disposition::kOpenExisting));
  if (!file) return WriteOutcome::kNotOpened;
  uint64_t size = 0;
  if (!platform::GetFileSize(file.get(), &size)) return WriteOutcome::kFailed;
  if (slot < 0 || size > kLargestInventorySize ||
      static_cast<uint64_t>(slot) >= size / kRecordSize) {
    return WriteOutcome::kChanged;  // the file shrank, or grew past what loads
  }
  const FileRange window = SlotWindow(slot, size);
  uint8_t around[kMaxWindowSize];
  uint32_t got = 0;
  if (!platform::SetFilePosition(file.get(), window.start) ||
      !platform::ReadFile(file.get(), around, window.size, &got) || got != window.size) {
    return WriteOutcome::kFailed;
  }
  if (std::memcmp(around + (SlotOffset(slot) - window.start), shown.bytes, kRecordSize) != 0) {
    return WriteOutcome::kChanged;
  }
  // Without its journal on the medium the slot is not touched: a power cut
  // during the write could leave it, or a neighbour, damaged for good.
  ScopedFile journal(WriteJournal(MakeJournalEntry(slot, size, around, record)));
  if (!journal) return WriteOutcome::kFailed;
  if (PutSlot(file.get(), slot, record)) {
    // Should the mark not reach the medium, the next start finds the span
    // finished already.
    MarkJournalDone(journal.get(), /*flush=*/false);
    return WriteOutcome::kWritten;
  }
  // The old record back; the journal is marked done only once it is on the
  // medium, or the next start would finish the write that failed here.
  if (PutSlot(file.get(), slot, shown)) MarkJournalDone(journal.get(), /*flush=*/true);
  return WriteOutcome::kFailed;
}

JournalFinding ExamineJournal(JournalEntry* found) {
  JournalEntry entry;
  switch (ReadJournal(&entry)) {
    case JournalRead::kNone:
      return JournalFinding::kNone;
    case JournalRead::kUnreadable:
      return JournalFinding::kUnreadable;
    case JournalRead::kWhole:
      break;
  }
  if (found != nullptr) *found = entry;

  ScopedFile data(OpenInventoryForReading());
  uint64_t size = 0;
  if (!data || !platform::GetFileSize(data.get(), &size)) return JournalFinding::kUnreadable;
  if (size != entry.fileSize) return JournalFinding::kForeign;
  const FileRange window = SlotWindow(entry.slot, size);
  uint8_t around[kMaxWindowSize];
  bool failed[kMaxWindowSize / kSectorSize + 2];
  if (ReadBySector(data.get(), window.start, window.size, around, failed) != window.size) {
    return JournalFinding::kUnreadable;
  }
  return JudgeWindow(entry, around, failed);
}

Settling SettleJournal() {
  JournalEntry entry;
  const JournalFinding finding = ExamineJournal(&entry);
  switch (finding) {
    case JournalFinding::kNone:
      return Settling::kNoJournal;
    case JournalFinding::kUnreadable:
      return Settling::kKept;
    case JournalFinding::kUnfinished: {
      const FileRange span = SlotSpan(entry.slot, entry.fileSize);
      ScopedFile data(platform::OpenFile(DataPath, Access::kWrite, Disposition::kOpenExisting));
      if (!data || !PutBytes(data.get(), span.start, entry.after, span.size)) {
        return Settling::kKept;
      }
      break;
    }
    case JournalFinding::kFinished:
    case JournalFinding::kForeign:
      break;
  }
  // Should the mark not reach the medium, the next start finds the span
  // finished already, or film.dat still changed.
  ScopedFile journal(
      platform::OpenFile(JournalPath(DataPath), Access::kWrite, Disposition::kOpenExisting));
  if (journal) MarkJournalDone(journal.get(), /*flush=*/true);
  return finding == JournalFinding::kForeign ? Settling::kDropped : Settling::kFinished;
}
