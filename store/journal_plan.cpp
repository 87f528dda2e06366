#include "store/journal_plan.h"

#include <algorithm>

using platform::kSectorSize;

FileRange RunSpan(Slot first, Slot count, uint64_t newSize) {
  const uint64_t from = static_cast<uint64_t>(first) * kRecordSize;
  const uint64_t to = static_cast<uint64_t>(first + count) * kRecordSize;
  const uint64_t start = from / kSectorSize * kSectorSize;
  const uint64_t end =
      std::min<uint64_t>((to + kSectorSize - 1) / kSectorSize * kSectorSize, newSize);
  return FileRange{static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)};
}

FileRange RunWindow(Slot first, Slot count, uint64_t newSize) {
  const auto start = static_cast<uint64_t>(first > 0 ? first - 1 : 0) * kRecordSize;
  const uint64_t end =
      std::min<uint64_t>(static_cast<uint64_t>(first + count + 1) * kRecordSize, newSize);
  return FileRange{static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)};
}

std::vector<PlannedGroup> PlanGroups(size_t count, const std::function<Slot(size_t)>& slot,
                                     uint64_t size) {
  const auto bytes = [&](size_t from, size_t last) {
    return RunJournalBytes(slot(from), slot(last) - slot(from) + 1, size);
  };
  std::vector<PlannedGroup> groups;
  size_t next = 0;
  while (next < count) {
    PlannedGroup group;
    size_t body = 0;
    while (next < count) {
      size_t to = next + 1;
      while (to < count && InOneRun(slot(to - 1), slot(to)) &&
             body + bytes(next, to) <= kMaxGroupBody) {
        ++to;
      }
      const size_t run = bytes(next, to - 1);
      if (!group.empty() && body + run > kMaxGroupBody) break;
      group.push_back(PlannedRun{next, to});
      body += run;
      next = to;
      // A run cut short by the group's room goes on in the next group.
      if (next < count && InOneRun(slot(next - 1), slot(next))) break;
    }
    groups.push_back(std::move(group));
  }
  return groups;
}
