// How a write of many slots is cut into runs and groups, each group under
// one journal (store/journal.h): the one plan that the journalled write
// follows and the journal's format checks a group against.
//
// A write of one slot touches whole sectors of the medium, and the first and
// last of them hold bytes of the neighbouring slots too: a run's span. The
// journal keeps a checksum of the rest of the records next to the run, its
// window, to know at the next start whether the file is still the one it
// was written for. Slots closer than kRunGap share a run, so that no run's
// window meets another run's span.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

#include "platform/platform.h"
#include "store/inventory_record.h"

// A byte range of film.dat.
struct FileRange {
  uint32_t start = 0;
  uint32_t size = 0;
  uint32_t end() const { return start + size; }
};

// The span of the run of `count` slots from `first` in a file that is
// `newSize` bytes once the run is written: from the start of the sector
// that holds its first byte to the end of the one that holds its last, cut
// at the end of the file. Its window adds the records on either side.
FileRange RunSpan(Slot first, Slot count, uint64_t newSize);
FileRange RunWindow(Slot first, Slot count, uint64_t newSize);

// Slots written together share a run when the next is closer than this to
// the last: two runs leave at least two untouched slots between them.
constexpr Slot kRunGap = 3;
inline bool InOneRun(Slot last, Slot next) { return next - last < kRunGap; }

// A group's journal holds at most kMaxGroupBody bytes of runs, each a
// header of kGroupRunHeader bytes and its span before and after.
constexpr size_t kMaxGroupBody = 4u << 20;
constexpr size_t kGroupRunHeader = 24;
inline size_t RunJournalBytes(Slot first, Slot count, uint64_t newSize) {
  return kGroupRunHeader + 2 * size_t{RunSpan(first, count, newSize).size};
}
// How many new slots one group of an append takes at most: its span starts
// in the last old sector, whose old bytes it carries.
constexpr size_t kAppendGroupSlots =
    (kMaxGroupBody - kGroupRunHeader - platform::kSectorSize) / kRecordSize;

// The changes [from, to) of a write, in one run.
struct PlannedRun {
  size_t from = 0;
  size_t to = 0;
};
using PlannedGroup = std::vector<PlannedRun>;
// The groups of a write of `count` slots in a file of `size` bytes, the
// slots ascending (`slot(i)`): runs of slots closer than kRunGap, as many
// runs to a group as its journal has room for. A run too long for one
// group goes on in the next.
std::vector<PlannedGroup> PlanGroups(size_t count, const std::function<Slot(size_t)>& slot,
                                     uint64_t size);
