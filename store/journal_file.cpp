#include "store/journal_file.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/scoped_file.h"
#include "store/file_names.h"
#include "store/sector_read.h"
#include "store/slot_io.h"
#include "store/store_state.h"
#include "store/whole_io.h"

namespace {

using platform::Access;
using platform::Disposition;
using platform::kSectorSize;
using platform::ScopedFile;

// Opens the journal beside DataPath for writing, making it when there is
// none: only a missing journal is made, so that a link, pipe or device under
// its name is never written through. Its first flush pushes its name to the
// medium, whoever made it (platform::FlushFile). nullptr on failure, with
// `*status` saying so.
platform::FileRef OpenJournalForWriting(FileStatus* status) {
  const std::wstring path = JournalPath(DataPath);
  platform::Opened opened = OpenWaiting(path, Access::kWrite, Disposition::kOpenExisting);
  if (!opened && opened.error == platform::FileError::kMissing) {
    opened = OpenWaiting(path, Access::kWrite, Disposition::kCreateNew);
  }
  if (!opened) *status = Failed(FileStep::kOpen, path, opened.error);
  return opened.file;
}

}  // namespace

std::wstring JournalPath(const std::wstring& dataPath) {
  const size_t slash = dataPath.find_last_of(L'\\');
  return (slash == std::wstring::npos ? L"" : dataPath.substr(0, slash + 1)) + kJournalFileName;
}

bool JournalFileExists() {
  return ScopedFile(
             platform::OpenFile(JournalPath(DataPath), Access::kRead, Disposition::kOpenExisting))
             .get() != nullptr;
}

FileStatus PrepareJournal() {
  FileStatus status;
  ScopedFile journal(OpenJournalForWriting(&status));
  if (!journal) return status;
  const platform::FileResult flushed = platform::FlushFile(journal.get());
  return flushed ? status : Failed(FileStep::kFlush, JournalPath(DataPath), flushed.error());
}

platform::FileRef WriteGroupJournal(const JournalGroup& group, FileStatus* status) {
  const std::vector<uint8_t> bytes = EncodeGroup(group);
  ScopedFile file(OpenJournalForWriting(status));
  if (!file) return nullptr;
  if (const WholeResult written =
          WriteWhole(file.get(), bytes.data(), static_cast<uint32_t>(bytes.size()));
      !written) {
    *status = Failed(FileStep::kWrite, JournalPath(DataPath), written.error);
  } else if (const platform::FileResult flushed = platform::FlushFile(file.get()); !flushed) {
    *status = Failed(FileStep::kFlush, JournalPath(DataPath), flushed.error());
  } else {
    return file.Release();
  }
  // Whole in the file's cache, it might still reach the medium and have the
  // next start finish a write that never began.
  MarkJournalDone(file.get(), /*flush=*/true);
  return nullptr;
}

bool MarkJournalDone(platform::FileRef journal, bool flush) {
  static const uint8_t zeros[kSectorSize] = {};
  return WriteWholeAt(journal, 0, zeros, kSectorSize) && (!flush || platform::FlushFile(journal));
}

JournalRead ReadJournal(JournalGroup* group) {
  ScopedFile journal(
      platform::OpenFile(JournalPath(DataPath), Access::kRead, Disposition::kOpenExisting));
  if (!journal) return JournalRead::kNone;
  constexpr size_t kFirstSectors = kJournalFirstRead / kSectorSize;
  std::vector<uint8_t> bytes(kJournalFirstRead);
  bool failed[kFirstSectors];
  uint32_t got = ReadBySector(journal.get(), 0, kJournalFirstRead, bytes.data(), failed);
  const bool* const begin = failed;
  const bool* const end = failed + kFirstSectors;
  if (std::find(begin, end, false) == end) return JournalRead::kUnreadable;
  if (failed[0]) return JournalRead::kNone;
  if (IsGroupForm(bytes.data())) {
    const uint32_t whole = GroupJournalSize(bytes.data());
    if (whole == 0) return JournalRead::kNone;
    bytes.resize(whole);
    const uint32_t sectors = whole / kSectorSize;
    const std::unique_ptr<bool[]> sectorFailed(new bool[sectors]);
    got = ReadBySector(journal.get(), 0, whole, bytes.data(), sectorFailed.get());
    if (std::find(sectorFailed.get(), sectorFailed.get() + sectors, true) !=
        sectorFailed.get() + sectors) {
      return JournalRead::kNone;
    }
  } else if (std::find(begin, end, true) != end) {
    return JournalRead::kNone;
  }
  return DecodeAnyJournal(bytes.data(), got, group) ? JournalRead::kWhole : JournalRead::kNone;
}
