#include "store/journal.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "platform/scoped_file.h"
#include "store/byte_order.h"
#include "store/file_names.h"
#include "store/sector_read.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

using platform::Access;
using platform::Disposition;
using platform::kSectorSize;
using platform::ScopedFile;

// A journal's first sectors are read at once: as many as the single form
// has, and the group form's header among them.
constexpr size_t kFirstRead = single_form::kSize;
constexpr size_t kFirstReadSectors = kFirstRead / kSectorSize;

// The group form's header sector.
constexpr uint8_t kGroupMark[4] = {'T', 'L', 'J', '3'};
constexpr size_t kGroupFileSizeAt = 4;
constexpr size_t kGroupNewSizeAt = 12;
constexpr size_t kGroupRunsAt = 20;
constexpr size_t kGroupBodySizeAt = 24;
constexpr size_t kGroupBodySumAt = 28;
constexpr size_t kGroupHeaderSumAt = 32;

void StoreU64(uint8_t* at, uint64_t value) { StoreI64(at, static_cast<int64_t>(value)); }
uint64_t LoadU64(const uint8_t* at) { return static_cast<uint64_t>(LoadI64(at)); }

bool WriteWhole(platform::FileRef file, const uint8_t* bytes, uint32_t size) {
  uint32_t put = 0;
  return platform::WriteFile(file, bytes, size, &put) && put == size;
}

// Opens the journal beside DataPath for writing, making it when there is
// none: only a missing journal is made, so that a link, pipe or device under
// its name is never written through. Its first flush pushes its name to the
// medium, whoever made it (platform::FlushFile). nullptr on failure, with
// `*why` its cause.
platform::FileRef OpenJournalForWriting(platform::FileError* why) {
  const std::wstring path = JournalPath(DataPath);
  platform::FileRef file = OpenWaiting(path, Access::kWrite, Disposition::kOpenExisting, why);
  if (file == nullptr && *why == platform::FileError::kMissing) {
    file = OpenWaiting(path, Access::kWrite, Disposition::kCreateNew, why);
  }
  return file;
}

// Writes `size` bytes as the journal beside DataPath (making it the first
// time) and pushes them to the medium; see WriteGroupJournal.
platform::FileRef PutJournal(const uint8_t* bytes, uint32_t size, platform::FileError* why) {
  platform::FileError ignored;
  if (why == nullptr) why = &ignored;
  ScopedFile file(OpenJournalForWriting(why));
  if (!file) return nullptr;
  if (WriteWhole(file.get(), bytes, size) && platform::FlushFile(file.get())) {
    return file.Release();
  }
  *why = platform::LastFileError();
  // Whole in the file's cache, it might still reach the medium and have the
  // next start finish a write that never began.
  MarkJournalDone(file.get(), /*flush=*/true);
  return nullptr;
}

}  // namespace

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

uint32_t RunContextSum(Slot first, Slot count, uint64_t newSize, const uint8_t* window) {
  const FileRange span = RunSpan(first, count, newSize);
  const FileRange around = RunWindow(first, count, newSize);
  const uint32_t head = span.start - around.start;
  const uint32_t tail = around.end() - span.end();
  return JournalChecksum(window + head + span.size, tail, JournalChecksum(window, head));
}

// Sixteen bytes a step through sixteen tables: a large import's journal
// runs to megabytes.
uint32_t JournalChecksum(const uint8_t* bytes, size_t size, uint32_t crc) {
  static const auto tables = [] {
    struct Tables {
      uint32_t t[16][256];
    } t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t.t[0][i] = c;
    }
    for (uint32_t i = 0; i < 256; ++i) {
      for (int k = 1; k < 16; ++k) t.t[k][i] = (t.t[k - 1][i] >> 8) ^ t.t[0][t.t[k - 1][i] & 0xFF];
    }
    return t;
  }();
  const auto& t = tables.t;
  crc = ~crc;
  size_t i = 0;
  for (; i + 16 <= size; i += 16) {
    const uint8_t* b = bytes + i;
    const uint32_t low =
        crc ^ (uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24);
    crc = t[15][low & 0xFF] ^ t[14][(low >> 8) & 0xFF] ^ t[13][(low >> 16) & 0xFF] ^
          t[12][low >> 24] ^ t[11][b[4]] ^ t[10][b[5]] ^ t[9][b[6]] ^ t[8][b[7]] ^ t[7][b[8]] ^
          t[6][b[9]] ^ t[5][b[10]] ^ t[4][b[11]] ^ t[3][b[12]] ^ t[2][b[13]] ^ t[1][b[14]] ^
          t[0][b[15]];
  }
  for (; i < size; ++i) crc = t[0][(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

namespace {

uint32_t RoundUpToSector(uint64_t size) {
  return static_cast<uint32_t>((size + kSectorSize - 1) / kSectorSize * kSectorSize);
}

// The size of the group journal whose header sector is `header`, header and
// padding included; 0 when the header is not whole.
uint32_t GroupJournalSize(const uint8_t* header) {
  if (std::memcmp(header, kGroupMark, sizeof kGroupMark) != 0 ||
      LoadU32(header + kGroupHeaderSumAt) != JournalChecksum(header, kGroupHeaderSumAt)) {
    return 0;
  }
  const uint32_t body = LoadU32(header + kGroupBodySizeAt);
  return body > kMaxGroupBody ? 0 : kSectorSize + RoundUpToSector(body);
}

// The span's bytes that lie in the file before the run is written.
uint32_t BeforeSize(const FileRange& span, uint64_t fileSize) {
  return span.start >= fileSize
             ? 0
             : static_cast<uint32_t>(std::min<uint64_t>(span.end(), fileSize) - span.start);
}

// Whether the runs keep the group's rules (JournalGroup), their sizes
// agreeing with their spans.
bool KeepsGroupRules(const JournalGroup& group) {
  const uint64_t fileSize = group.fileSize, newSize = group.newSize;
  if (fileSize == 0 || fileSize % kRecordSize != 0 || newSize < fileSize ||
      newSize > kLargestInventorySize || (newSize - fileSize) % kRecordSize != 0 ||
      group.entries.empty()) {
    return false;
  }
  const Slot slots = SlotsOf(newSize);
  const bool append = newSize > fileSize;
  if (append && (group.entries.size() != 1 || group.entries[0].first != SlotsOf(fileSize))) {
    return false;
  }
  Slot earliest = 0;  // the first slot the next run may start at
  for (const GroupEntry& e : group.entries) {
    if (e.count <= 0 || e.first < earliest || e.first + e.count > slots) return false;
    const FileRange span = RunSpan(e.first, e.count, newSize);
    if (e.before.size() != BeforeSize(span, fileSize) || e.after.size() != span.size) {
      return false;
    }
    earliest = e.first + e.count + 2;
  }
  return !append || group.entries[0].first + group.entries[0].count == slots;
}

}  // namespace

std::vector<uint8_t> EncodeGroup(const JournalGroup& group) {
  size_t body = 0;
  for (const GroupEntry& e : group.entries)
    body += kGroupRunHeader + e.before.size() + e.after.size();
  std::vector<uint8_t> bytes(kSectorSize + RoundUpToSector(body), 0);
  uint8_t* at = bytes.data() + kSectorSize;
  for (const GroupEntry& e : group.entries) {
    const FileRange span = RunSpan(e.first, e.count, group.newSize);
    StoreU32(at, static_cast<uint32_t>(e.first));
    StoreU32(at + 4, static_cast<uint32_t>(e.count));
    StoreU32(at + 8, span.start);
    StoreU32(at + 12, static_cast<uint32_t>(e.before.size()));
    StoreU32(at + 16, static_cast<uint32_t>(e.after.size()));
    StoreU32(at + 20, e.contextSum);
    at = std::copy(e.before.begin(), e.before.end(), at + kGroupRunHeader);
    at = std::copy(e.after.begin(), e.after.end(), at);
  }
  uint8_t* header = bytes.data();
  std::memcpy(header, kGroupMark, sizeof kGroupMark);
  StoreU64(header + kGroupFileSizeAt, group.fileSize);
  StoreU64(header + kGroupNewSizeAt, group.newSize);
  StoreU32(header + kGroupRunsAt, static_cast<uint32_t>(group.entries.size()));
  StoreU32(header + kGroupBodySizeAt, static_cast<uint32_t>(body));
  StoreU32(header + kGroupBodySumAt, JournalChecksum(bytes.data() + kSectorSize, body));
  StoreU32(header + kGroupHeaderSumAt, JournalChecksum(header, kGroupHeaderSumAt));
  return bytes;
}

namespace {

// A whole journal of the single form, as a group of one run of one slot.
bool DecodeSingleForm(const uint8_t* bytes, size_t size, JournalGroup* group) {
  using namespace single_form;
  if (size < kSize || LoadU32(bytes + kChecksumAt) != JournalChecksum(bytes, kChecksumAt))
    return false;
  const int64_t slot = LoadI64(bytes + kSlotAt);
  const uint64_t fileSize = LoadU64(bytes + kFileSizeAt);
  if (!SlotInFile(slot, fileSize)) return false;
  const FileRange span = RunSpan(slot, 1, fileSize);
  if (LoadU32(bytes + kSpanStartAt) != span.start || LoadU32(bytes + kSpanSizeAt) != span.size) {
    return false;
  }
  GroupEntry e;
  e.first = slot;
  e.count = 1;
  e.contextSum = LoadU32(bytes + kContextAt);
  e.before.assign(bytes + kBeforeAt, bytes + kBeforeAt + span.size);
  e.after.assign(bytes + kAfterAt, bytes + kAfterAt + span.size);
  *group = JournalGroup{fileSize, fileSize, {std::move(e)}};
  return true;
}

}  // namespace

bool DecodeAnyJournal(const uint8_t* bytes, size_t size, JournalGroup* group) {
  if (size >= sizeof single_form::kMark &&
      std::memcmp(bytes, single_form::kMark, sizeof single_form::kMark) == 0) {
    return DecodeSingleForm(bytes, size, group);
  }
  if (size < kSectorSize) return false;
  const uint32_t whole = GroupJournalSize(bytes);
  const uint32_t body = LoadU32(bytes + kGroupBodySizeAt);
  if (whole == 0 || size < kSectorSize + size_t{body} ||
      LoadU32(bytes + kGroupBodySumAt) != JournalChecksum(bytes + kSectorSize, body)) {
    return false;
  }
  JournalGroup read;
  read.fileSize = LoadU64(bytes + kGroupFileSizeAt);
  read.newSize = LoadU64(bytes + kGroupNewSizeAt);
  const uint32_t runs = LoadU32(bytes + kGroupRunsAt);
  const uint8_t* at = bytes + kSectorSize;
  const uint8_t* const end = at + body;
  for (uint32_t i = 0; i < runs; ++i) {
    if (end - at < static_cast<ptrdiff_t>(kGroupRunHeader)) return false;
    GroupEntry e;
    e.first = LoadU32(at);
    e.count = LoadU32(at + 4);
    const uint32_t spanStart = LoadU32(at + 8);
    const uint32_t beforeSize = LoadU32(at + 12);
    const uint32_t afterSize = LoadU32(at + 16);
    e.contextSum = LoadU32(at + 20);
    at += kGroupRunHeader;
    if (static_cast<uint64_t>(end - at) < uint64_t{beforeSize} + afterSize) return false;
    e.before.assign(at, at + beforeSize);
    e.after.assign(at + beforeSize, at + beforeSize + afterSize);
    at += beforeSize + afterSize;
    if (e.count > 0 && e.count <= kLargestSlotCount &&
        spanStart != RunSpan(e.first, e.count, read.newSize).start) {
      return false;
    }
    read.entries.push_back(std::move(e));
  }
  if (at != end || !KeepsGroupRules(read)) return false;
  *group = std::move(read);
  return true;
}

platform::FileRef WriteGroupJournal(const JournalGroup& group, platform::FileError* why) {
  const std::vector<uint8_t> bytes = EncodeGroup(group);
  return PutJournal(bytes.data(), static_cast<uint32_t>(bytes.size()), why);
}

std::wstring JournalPath(const std::wstring& dataPath) {
  const size_t slash = dataPath.find_last_of(L'\\');
  return (slash == std::wstring::npos ? L"" : dataPath.substr(0, slash + 1)) + kJournalFileName;
}

bool MarkJournalDone(platform::FileRef journal, bool flush) {
  static const uint8_t zeros[kSectorSize] = {};
  return platform::SetFilePosition(journal, 0) && WriteWhole(journal, zeros, kSectorSize) &&
         (!flush || platform::FlushFile(journal));
}

bool PrepareJournal(platform::FileError* why) {
  ScopedFile journal(OpenJournalForWriting(why));
  if (!journal) return false;
  if (platform::FlushFile(journal.get())) return true;
  *why = platform::LastFileError();
  return false;
}

bool JournalFileExists() {
  return ScopedFile(
             platform::OpenFile(JournalPath(DataPath), Access::kRead, Disposition::kOpenExisting))
             .get() != nullptr;
}

JournalRead ReadJournal(JournalGroup* group) {
  ScopedFile journal(
      platform::OpenFile(JournalPath(DataPath), Access::kRead, Disposition::kOpenExisting));
  if (!journal) return JournalRead::kNone;
  std::vector<uint8_t> bytes(kFirstRead);
  bool failed[kFirstReadSectors];
  uint32_t got = ReadBySector(journal.get(), 0, kFirstRead, bytes.data(), failed);
  const bool* const begin = failed;
  const bool* const end = failed + kFirstReadSectors;
  if (std::find(begin, end, false) == end) return JournalRead::kUnreadable;
  if (failed[0]) return JournalRead::kNone;
  if (std::memcmp(bytes.data(), kGroupMark, sizeof kGroupMark) == 0) {
    const uint32_t whole = GroupJournalSize(bytes.data());
    if (whole == 0) return JournalRead::kNone;
    bytes.resize(whole);
    const std::unique_ptr<bool[]> sectorFailed(new bool[whole / kSectorSize]);
    got = ReadBySector(journal.get(), 0, whole, bytes.data(), sectorFailed.get());
    if (std::find(sectorFailed.get(), sectorFailed.get() + whole / kSectorSize, true) !=
        sectorFailed.get() + whole / kSectorSize) {
      return JournalRead::kNone;
    }
  } else if (std::find(begin, end, true) != end) {
    return JournalRead::kNone;
  }
  return DecodeAnyJournal(bytes.data(), got, group) ? JournalRead::kWhole : JournalRead::kNone;
}
