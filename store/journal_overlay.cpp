#include "store/journal_overlay.h"

#include <algorithm>
#include <cstring>

namespace {

std::shared_ptr<const JournalOverlay> overlay;

}  // namespace

platform::FileResult JournalOverlay::Read(platform::FileRef file, uint64_t* position, void* buffer,
                                          uint32_t count, uint32_t* transferred) const {
  const uint64_t at = *position;
  const uint64_t end = std::min<uint64_t>(at + count, std::max(at, group_.newSize));
  auto* bytes = static_cast<uint8_t*>(buffer);
  uint64_t cursor = at;
  platform::FileResult failed;
  // The file's own bytes from `cursor` up to `to`: true when all of them
  // came, false on a failed read (`failed` then) or at the file's end.
  const auto fromFile = [&](uint64_t to) {
    while (cursor < to) {
      uint32_t got = 0;
      platform::FileResult read = platform::SetFilePosition(file, static_cast<uint32_t>(cursor));
      if (read) {
        read = platform::ReadFile(file, bytes + (cursor - at), static_cast<uint32_t>(to - cursor),
                                  &got);
      }
      cursor += got;
      if (!read) failed = read;
      if (!read || got == 0) return false;
    }
    return true;
  };
  bool more = true;
  for (const GroupEntry& e : group_.entries) {
    const uint64_t spanStart = RunSpan(e.first, e.count, group_.newSize).start;
    const uint64_t spanEnd = spanStart + e.after.size();
    if (spanEnd <= cursor) continue;
    if (spanStart >= end) break;
    if (cursor < spanStart && !fromFile(spanStart)) {
      more = false;
      break;
    }
    const uint64_t to = std::min(spanEnd, end);
    std::memcpy(bytes + (cursor - at), e.after.data() + (cursor - spanStart), to - cursor);
    cursor = to;
  }
  if (more && cursor < end) fromFile(end);
  *position = cursor;
  *transferred = static_cast<uint32_t>(cursor - at);
  return failed;
}

void ReadThroughJournal(const JournalGroup& group, const std::wstring& dataPath) {
  overlay = std::make_shared<const JournalOverlay>(group, dataPath);
}

bool ReadingThroughJournal() { return overlay != nullptr; }

std::shared_ptr<const JournalOverlay> JournalInUse() { return overlay; }

void StopReadingThroughJournal() { overlay.reset(); }
