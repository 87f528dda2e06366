#include "store/journal.h"

#include <algorithm>
#include <cstring>

#include "platform/scoped_file.h"
#include "store/byte_order.h"
#include "store/file_names.h"
#include "store/sector_read.h"
#include "store/store_state.h"

namespace {

using platform::Access;
using platform::Disposition;
using platform::kSectorSize;
using platform::ScopedFile;

constexpr uint8_t kMark[4] = {'T', 'L', 'J', '2'};
constexpr size_t kSlotAt = 4;
constexpr size_t kSizeAt = 12;
constexpr size_t kSpanStartAt = 20;
constexpr size_t kSpanSizeAt = 24;
constexpr size_t kContextAt = 28;
constexpr size_t kBeforeAt = 32;
constexpr size_t kAfterAt = kBeforeAt + kMaxSpanSize;
constexpr size_t kChecksumAt = kAfterAt + kMaxSpanSize;
static_assert(kChecksumAt + 4 <= kJournalSize, "the journal's fields fit in it");
static_assert(kJournalSize % kSectorSize == 0, "the journal is written in whole sectors");
constexpr size_t kJournalSectors = kJournalSize / kSectorSize;

// CRC-32 (IEEE 802.3, reflected), table-driven; `crc` carries a sum on over
// a further piece.
uint32_t Crc32(const uint8_t* bytes, size_t size, uint32_t crc = 0) {
  static const auto table = [] {
    struct Table {
      uint32_t entries[256];
    } t{};
    for (uint32_t i = 0; i < 256; ++i) {
      uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t.entries[i] = c;
    }
    return t;
  }();
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = table.entries[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

void StoreU64(uint8_t* at, uint64_t value) { StoreI64(at, static_cast<int64_t>(value)); }
uint64_t LoadU64(const uint8_t* at) { return static_cast<uint64_t>(LoadI64(at)); }

bool WriteWhole(platform::FileRef file, const uint8_t* bytes, uint32_t size) {
  uint32_t put = 0;
  return platform::WriteFile(file, bytes, size, &put) && put == size;
}

}  // namespace

FileRange SlotSpan(int64_t slot, uint64_t fileSize) {
  const uint64_t first = static_cast<uint64_t>(slot) * kRecordSize;
  const uint64_t start = first / kSectorSize * kSectorSize;
  const uint64_t end = std::min<uint64_t>(
      (first + kRecordSize + kSectorSize - 1) / kSectorSize * kSectorSize, fileSize);
  return FileRange{static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)};
}

FileRange SlotWindow(int64_t slot, uint64_t fileSize) {
  const uint64_t start = static_cast<uint64_t>(std::max<int64_t>(slot - 1, 0)) * kRecordSize;
  const uint64_t end = std::min<uint64_t>(static_cast<uint64_t>(slot + 2) * kRecordSize, fileSize);
  return FileRange{static_cast<uint32_t>(start), static_cast<uint32_t>(end - start)};
}

uint32_t WindowContextSum(int64_t slot, uint64_t fileSize, const uint8_t* window) {
  const FileRange span = SlotSpan(slot, fileSize);
  const FileRange around = SlotWindow(slot, fileSize);
  const uint32_t head = span.start - around.start;
  const uint32_t tail = around.end() - span.end();
  return Crc32(window + head + span.size, tail, Crc32(window, head));
}

JournalEntry MakeJournalEntry(int64_t slot, uint64_t fileSize, const uint8_t* window,
                              const InventoryRecord& record) {
  const FileRange span = SlotSpan(slot, fileSize);
  const FileRange around = SlotWindow(slot, fileSize);
  JournalEntry entry;
  entry.slot = slot;
  entry.fileSize = fileSize;
  entry.contextSum = WindowContextSum(slot, fileSize, window);
  std::memcpy(entry.before, window + (span.start - around.start), span.size);
  std::memcpy(entry.after, entry.before, span.size);
  std::memcpy(entry.after + (SlotOffset(slot) - span.start), record.bytes, kRecordSize);
  return entry;
}

void EncodeJournal(const JournalEntry& entry, uint8_t* bytes) {
  const FileRange span = SlotSpan(entry.slot, entry.fileSize);
  std::memset(bytes, 0, kJournalSize);
  std::memcpy(bytes, kMark, sizeof kMark);
  StoreI64(bytes + kSlotAt, entry.slot);
  StoreU64(bytes + kSizeAt, entry.fileSize);
  StoreU32(bytes + kSpanStartAt, span.start);
  StoreU32(bytes + kSpanSizeAt, span.size);
  StoreU32(bytes + kContextAt, entry.contextSum);
  std::memcpy(bytes + kBeforeAt, entry.before, span.size);
  std::memcpy(bytes + kAfterAt, entry.after, span.size);
  StoreU32(bytes + kChecksumAt, Crc32(bytes, kChecksumAt));
}

bool DecodeJournal(const uint8_t* bytes, size_t size, JournalEntry* entry) {
  if (size < kJournalSize || std::memcmp(bytes, kMark, sizeof kMark) != 0 ||
      LoadU32(bytes + kChecksumAt) != Crc32(bytes, kChecksumAt)) {
    return false;
  }
  const int64_t slot = LoadI64(bytes + kSlotAt);
  const uint64_t fileSize = LoadU64(bytes + kSizeAt);
  if (slot < 0 || fileSize > kLargestInventorySize ||
      static_cast<uint64_t>(slot) >= fileSize / kRecordSize) {
    return false;
  }
  const FileRange span = SlotSpan(slot, fileSize);
  if (LoadU32(bytes + kSpanStartAt) != span.start || LoadU32(bytes + kSpanSizeAt) != span.size) {
    return false;
  }
  entry->slot = slot;
  entry->fileSize = fileSize;
  entry->contextSum = LoadU32(bytes + kContextAt);
  std::memcpy(entry->before, bytes + kBeforeAt, kMaxSpanSize);
  std::memcpy(entry->after, bytes + kAfterAt, kMaxSpanSize);
  return true;
}

std::wstring JournalPath(const std::wstring& dataPath) {
  const size_t slash = dataPath.find_last_of(L'\\');
  return (slash == std::wstring::npos ? L"" : dataPath.substr(0, slash + 1)) + kJournalFileName;
}

platform::FileRef WriteJournal(const JournalEntry& entry) {
  uint8_t bytes[kJournalSize];
  EncodeJournal(entry, bytes);
  const std::wstring path = JournalPath(DataPath);
  ScopedFile file(platform::OpenFile(path, Access::kWrite, Disposition::kOpenExisting));
  if (!file) file = platform::OpenFile(path, Access::kWrite, Disposition::kCreateNew);
  if (!file) return nullptr;
  if (WriteWhole(file.get(), bytes, kJournalSize) && platform::FlushFile(file.get())) {
    return file.Release();
  }
  // Whole in the file's cache, it might still reach the medium and have the
  // next start finish a write that never began.
  MarkJournalDone(file.get(), /*flush=*/true);
  return nullptr;
}

bool MarkJournalDone(platform::FileRef journal, bool flush) {
  static const uint8_t zeros[kSectorSize] = {};
  return platform::SetFilePosition(journal, 0) && WriteWhole(journal, zeros, kSectorSize) &&
         (!flush || platform::FlushFile(journal));
}

bool JournalLeft() {
  return ScopedFile(
             platform::OpenFile(JournalPath(DataPath), Access::kRead, Disposition::kOpenExisting))
             .get() != nullptr;
}

JournalRead ReadJournal(JournalEntry* entry) {
  ScopedFile journal(
      platform::OpenFile(JournalPath(DataPath), Access::kRead, Disposition::kOpenExisting));
  if (!journal) return JournalRead::kNone;
  uint8_t bytes[kJournalSize];
  bool failed[kJournalSectors];
  const uint32_t got = ReadBySector(journal.get(), 0, kJournalSize, bytes, failed);
  const bool* const begin = failed;
  const bool* const end = failed + kJournalSectors;
  if (std::find(begin, end, false) == end) return JournalRead::kUnreadable;
  if (std::find(begin, end, true) != end || !DecodeJournal(bytes, got, entry)) {
    return JournalRead::kNone;
  }
  return JournalRead::kWhole;
}
