#include "store/journal_overlay.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "platform/env.h"

namespace {

// An Env layer over the one in use: handles of the inventory opened for reading
// keep their own position, and what they read is patched with the
// journal's new spans, past the file's end too for an append.
class JournalOverlay : public platform::EnvWrapper {
 public:
  JournalOverlay(platform::Env& target, JournalGroup group, std::wstring path)
      : EnvWrapper(target), group_(std::move(group)), path_(std::move(path)) {}

  platform::Opened OpenFile(const std::wstring& path, platform::Access access,
                            platform::Disposition disposition) override {
    const platform::Opened opened = target().OpenFile(path, access, disposition);
    if (opened && path == path_ && access == platform::Access::kRead) positions_[opened.file] = 0;
    return opened;
  }

  platform::FileResult SetFilePosition(platform::FileRef file, uint32_t offset) override {
    const auto found = positions_.find(file);
    if (found == positions_.end()) return target().SetFilePosition(file, offset);
    found->second = offset;
    return {};
  }

  platform::FileResult GetFileSize(platform::FileRef file, uint64_t* size) override {
    if (positions_.count(file) == 0) return target().GetFileSize(file, size);
    *size = group_.newSize;
    return {};
  }

  // The journal's spans come from the journal alone: a sector of one that
  // the power cut broke off may fail every read of the file.
  platform::FileResult ReadFile(platform::FileRef file, void* buffer, uint32_t count,
                                uint32_t* transferred) override {
    const auto found = positions_.find(file);
    if (found == positions_.end()) return target().ReadFile(file, buffer, count, transferred);
    const uint64_t at = found->second;
    const uint64_t end = std::min<uint64_t>(at + count, std::max(at, group_.newSize));
    auto* bytes = static_cast<uint8_t*>(buffer);
    uint64_t cursor = at;
    platform::FileResult failed;
    // The file's own bytes from `cursor` up to `to`: true when all of them
    // came, false on a failed read (`failed` then) or at the file's end.
    const auto fromFile = [&](uint64_t to) {
      while (cursor < to) {
        uint32_t got = 0;
        platform::FileResult read = target().SetFilePosition(file, static_cast<uint32_t>(cursor));
        if (read) {
          read = target().ReadFile(file, bytes + (cursor - at), static_cast<uint32_t>(to - cursor),
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
    found->second = cursor;
    *transferred = static_cast<uint32_t>(cursor - at);
    return failed;
  }

  void CloseFile(platform::FileRef file) override {
    positions_.erase(file);
    target().CloseFile(file);
  }

 private:
  JournalGroup group_;
  std::wstring path_;
  std::map<platform::FileRef, uint64_t> positions_;
};

std::unique_ptr<JournalOverlay> overlay;

}  // namespace

void ReadThroughJournal(const JournalGroup& group, const std::wstring& dataPath) {
  StopReadingThroughJournal();
  overlay = std::make_unique<JournalOverlay>(platform::CurrentEnv(), group, dataPath);
  platform::SetEnv(overlay.get());
}

bool ReadingThroughJournal() { return overlay != nullptr; }

void StopReadingThroughJournal() {
  if (overlay == nullptr) return;
  if (&platform::CurrentEnv() == overlay.get()) platform::SetEnv(&overlay->target());
  overlay.reset();
}
