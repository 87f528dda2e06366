#include "store/journalled_write.h"

#include <cstring>

#include "platform/scoped_file.h"
#include "store/journal.h"
#include "store/journal_file.h"
#include "store/journal_plan.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "store/whole_io.h"

namespace {

using platform::FileError;
using platform::ScopedFile;

// A write that stopped at change `stopped`, `written` of them in the file.
SlotsWritten Stopped(WriteOutcome outcome, size_t written, size_t stopped,
                     const FileStatus& status = {}) {
  return SlotsWritten{outcome, written, stopped, status};
}

// One group under its journal, into `file` open for writing. The slots were
// checked; `group` holds what the file holds now and what it is to hold.
FileStatus WriteGroup(platform::FileRef file, const JournalGroup& group) {
  FileStatus status;
  ScopedFile journal(WriteGroupJournal(group, &status));
  if (!journal) return status;
  status = WriteSpans(file, group, /*after=*/true);
  if (status.ok()) {
    MarkJournalDone(journal.get(), /*flush=*/false);
    return status;
  }
  // What was shown goes back, and an append's file to its old size. Should
  // that cut fail, the append is finished instead, or left to the journal
  // and the next start.
  if (group.newSize > group.fileSize && !CutToSize(file, group.fileSize).ok()) {
    if (!WriteSpans(file, group, /*after=*/true).ok()) return status;
    MarkJournalDone(journal.get(), /*flush=*/false);
    return FileStatus{};
  }
  if (WriteSpans(file, group, /*after=*/false).ok()) MarkJournalDone(journal.get(), /*flush=*/true);
  return status;
}

// The first slot and the count of a planned run.
Slot RunFirst(SlotChanges& changes, const PlannedRun& run) { return changes.Slot(run.from); }
Slot RunCount(SlotChanges& changes, const PlannedRun& run) {
  return changes.Slot(run.to - 1) - changes.Slot(run.from) + 1;
}

// A group's runs as read under the hold: each run's window, as far as the
// file goes.
using GroupWindows = std::vector<std::vector<uint8_t>>;

WholeResult ReadWindows(platform::FileRef file, uint64_t size, SlotChanges& changes,
                        const PlannedGroup& runs, GroupWindows* windows) {
  windows->assign(runs.size(), {});
  for (size_t k = 0; k < runs.size(); ++k) {
    const FileRange window =
        RunWindow(RunFirst(changes, runs[k]), RunCount(changes, runs[k]), size);
    (*windows)[k].resize(window.size);
    const WholeResult read = ReadWholeAt(file, window.start, (*windows)[k].data(), window.size);
    if (!read) return read;
  }
  return {};
}

// The record of `slot` in the window of the run from `first`.
InventoryRecord RecordIn(const std::vector<uint8_t>& window, Slot first, Slot slot) {
  InventoryRecord record;
  const Slot windowFirst = first > 0 ? first - 1 : 0;
  std::memcpy(record.bytes, window.data() + (slot - windowFirst) * kRecordSize, kRecordSize);
  return record;
}

// Whether the first window of a group takes in the last slot that the group
// before it writes: a run the group's room cut short goes on in the next
// group, whose window then reaches back over that slot.
bool MeetsGroupBefore(SlotChanges& changes, const PlannedGroup& runs) {
  const size_t from = runs[0].from;
  return from > 0 && changes.Slot(from - 1) + 1 == changes.Slot(from);
}

// The checksum of a group's windows, but for the first record of the first
// when `skipFirst`: a slot the write itself changes before the group's turn.
uint32_t WindowsSum(const GroupWindows& windows, bool skipFirst) {
  uint32_t sum = 0;
  for (size_t k = 0; k < windows.size(); ++k) {
    const size_t skip = k == 0 && skipFirst ? kRecordSize : 0;
    sum = JournalChecksum(windows[k].data() + skip, windows[k].size() - skip, sum);
  }
  return sum;
}

// The record that `group` writes at its last slot.
InventoryRecord LastWritten(const JournalGroup& group) {
  const GroupEntry& last = group.entries.back();
  const FileRange span = RunSpan(last.first, last.count, group.newSize);
  InventoryRecord record;
  std::memcpy(record.bytes,
              last.after.data() + (SlotOffset(last.first + last.count - 1) - span.start),
              kRecordSize);
  return record;
}

// The journal of a group of a file of `size` bytes, made from its windows:
// each run's span as it is, and as its changes make it.
JournalGroup MakeGroup(uint64_t size, SlotChanges& changes, const PlannedGroup& runs,
                       const GroupWindows& windows) {
  JournalGroup group{size, size, {}};
  for (size_t k = 0; k < runs.size(); ++k) {
    GroupEntry entry;
    entry.first = RunFirst(changes, runs[k]);
    entry.count = RunCount(changes, runs[k]);
    const FileRange span = RunSpan(entry.first, entry.count, size);
    const FileRange window = RunWindow(entry.first, entry.count, size);
    entry.contextSum = RunContextSum(entry.first, entry.count, size, windows[k].data());
    const auto spanAt = windows[k].begin() + (span.start - window.start);
    entry.before.assign(spanAt, spanAt + span.size);
    entry.after = entry.before;
    for (size_t i = runs[k].from; i < runs[k].to; ++i) {
      InventoryRecord next;
      changes.Make(i, RecordIn(windows[k], entry.first, changes.Slot(i)), &next);
      std::memcpy(entry.after.data() + (SlotOffset(changes.Slot(i)) - span.start), next.bytes,
                  kRecordSize);
    }
    group.entries.push_back(std::move(entry));
  }
  return group;
}

}  // namespace

bool SlotChangeList::Holds(size_t i, const InventoryRecord& now) {
  return std::memcmp(now.bytes, changes_[i].shown.bytes, kRecordSize) == 0;
}

void SlotChangeList::Make(size_t i, const InventoryRecord&, InventoryRecord* next) {
  *next = changes_[i].record;
}

WriteResult WriteSlotJournalled(int64_t slot, const InventoryRecord& record,
                                const InventoryRecord& shown) {
  const std::vector<SlotChange> one = {SlotChange{slot, record, shown}};
  SlotChangeList change(one);
  const SlotsWritten written = WriteSlotsJournalled(change);
  return WriteResult{written.outcome, written.status};
}

SlotsWritten WriteSlotsJournalled(SlotChanges& changes) {
  const size_t n = changes.Count();
  if (n == 0) return Stopped(WriteOutcome::kWritten, 0, 0);
  ScopedFile file(OpenInventoryForChange());
  if (!file) {
    return Stopped(WriteOutcome::kNotOpened, 0, 0, Failed(FileStep::kOpen, DataPath, file.error()));
  }
  uint64_t size = 0;
  if (const platform::FileResult sized = platform::GetFileSize(file.get(), &size); !sized) {
    return Stopped(WriteOutcome::kFailed, 0, 0, Failed(FileStep::kSize, DataPath, sized.error()));
  }
  // The file is held for writing from here on: what is checked now stays so.
  // A file that shrank, grew past what loads, or is no whole number of
  // records (an append under way or kept for the next start) was changed by
  // another program: SlotInFile refuses every slot of it.
  for (size_t i = 0; i < n; ++i) {
    const int64_t slot = changes.Slot(i);
    if (!SlotInFile(slot, size) || (i > 0 && slot <= changes.Slot(i - 1))) {
      return Stopped(WriteOutcome::kChanged, 0, i);
    }
  }
  const std::vector<PlannedGroup> plan = PlanGroups(
      n, [&changes](size_t i) { return changes.Slot(i); }, size);

  // Every change is checked against its slot before any is written, each
  // once. The first group's windows are kept for its write; a later group's
  // checksum is, for when its turn comes. Where a later group's window takes
  // in the last slot of the group before, that slot is left out of the sum:
  // at the group's turn it must hold what the group before wrote there.
  GroupWindows first;
  std::vector<uint32_t> sums(plan.size());
  std::vector<bool> meets(plan.size());
  for (size_t g = 0; g < plan.size(); ++g) {
    GroupWindows windows;
    if (const WholeResult read = ReadWindows(file.get(), size, changes, plan[g], &windows); !read) {
      return Stopped(WriteOutcome::kFailed, 0, plan[g][0].from,
                     Failed(FileStep::kRead, DataPath, read.error));
    }
    for (size_t k = 0; k < plan[g].size(); ++k) {
      const Slot runFirst = RunFirst(changes, plan[g][k]);
      for (size_t i = plan[g][k].from; i < plan[g][k].to; ++i) {
        if (!changes.Holds(i, RecordIn(windows[k], runFirst, changes.Slot(i)))) {
          return Stopped(WriteOutcome::kChanged, 0, i);
        }
      }
    }
    if (g == 0) {
      first = std::move(windows);
    } else {
      meets[g] = MeetsGroupBefore(changes, plan[g]);
      sums[g] = WindowsSum(windows, meets[g]);
    }
  }

  size_t done = 0;
  InventoryRecord lastWritten;  // what the group before wrote at its last slot
  for (size_t g = 0; g < plan.size(); ++g) {
    GroupWindows windows;
    WholeResult read;
    if (g == 0) {
      windows = std::move(first);
    } else if (read = ReadWindows(file.get(), size, changes, plan[g], &windows); !read) {
      return Stopped(WriteOutcome::kFailed, done, done,
                     Failed(FileStep::kRead, DataPath, read.error));
    } else if (WindowsSum(windows, meets[g]) != sums[g] ||
               (meets[g] && std::memcmp(windows[0].data(), lastWritten.bytes, kRecordSize) != 0)) {
      return Stopped(WriteOutcome::kChanged, done, done);
    }
    const JournalGroup group = MakeGroup(size, changes, plan[g], windows);
    const FileStatus status = WriteGroup(file.get(), group);
    if (!status.ok()) return Stopped(WriteOutcome::kFailed, done, done, status);
    done = plan[g].back().to;
    lastWritten = LastWritten(group);
  }
  return Stopped(WriteOutcome::kWritten, n, 0);
}

SlotsWritten AppendSlotsJournalled(uint64_t size, const RecordSource& records) {
  const size_t n = records.Count();
  if (n == 0) return Stopped(WriteOutcome::kWritten, 0, 0);
  if (size == 0 || size % kRecordSize != 0 ||
      size + uint64_t{n} * kRecordSize > kLargestInventorySize) {
    return Stopped(WriteOutcome::kFailed, 0, 0);
  }
  ScopedFile file(OpenInventoryForChange());
  if (!file) {
    return Stopped(WriteOutcome::kNotOpened, 0, 0, Failed(FileStep::kOpen, DataPath, file.error()));
  }
  uint64_t now = 0;
  if (const platform::FileResult sized = platform::GetFileSize(file.get(), &now); !sized) {
    return Stopped(WriteOutcome::kFailed, 0, 0, Failed(FileStep::kSize, DataPath, sized.error()));
  }
  if (now != size) return Stopped(WriteOutcome::kChanged, 0, 0);
  size_t done = 0;
  while (done < n) {
    const size_t count = std::min(n - done, kAppendGroupSlots);
    GroupEntry entry;
    entry.first = SlotsOf(size);
    entry.count = static_cast<Slot>(count);
    const uint64_t newSize = size + uint64_t{count} * kRecordSize;
    const FileRange span = RunSpan(entry.first, entry.count, newSize);
    const FileRange window = RunWindow(entry.first, entry.count, newSize);
    // The window as far as the file goes: the last old record.
    std::vector<uint8_t> head(static_cast<uint32_t>(size) - window.start);
    if (const WholeResult read =
            ReadWholeAt(file.get(), window.start, head.data(), static_cast<uint32_t>(head.size()));
        !read) {
      return Stopped(WriteOutcome::kFailed, done, done,
                     Failed(FileStep::kRead, DataPath, read.error));
    }
    entry.contextSum = RunContextSum(entry.first, entry.count, newSize, head.data());
    entry.before.assign(head.begin() + (span.start - window.start), head.end());
    entry.after = entry.before;
    for (size_t i = done; i < done + count; ++i) {
      const InventoryRecord record = records.Record(i);
      entry.after.insert(entry.after.end(), record.bytes, record.bytes + kRecordSize);
    }
    const FileStatus status =
        WriteGroup(file.get(), JournalGroup{size, newSize, {std::move(entry)}});
    if (!status.ok()) return Stopped(WriteOutcome::kFailed, done, done, status);
    size = newSize;
    done += count;
  }
  return Stopped(WriteOutcome::kWritten, n, 0);
}
