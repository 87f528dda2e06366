#include "store/journal.h"

#include <cstring>

#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "store/byte_order.h"
#include "store/slot_io.h"
#include "store/store_state.h"

namespace {

using platform::Access;
using platform::Disposition;
using platform::ScopedFile;

constexpr uint8_t kMark[4] = {'T', 'L', 'J', '1'};
constexpr size_t kSlotAt = 4;
constexpr size_t kSizeAt = 12;
constexpr size_t kBeforeAt = 20;
constexpr size_t kAfterAt = kBeforeAt + kRecordSize;
constexpr size_t kChecksumAt = kAfterAt + kRecordSize;
static_assert(kChecksumAt + 4 == kJournalSize, "the journal's fields fill it");

// CRC-32 (IEEE 802.3, reflected), table-driven.
uint32_t Crc32(const uint8_t* bytes, size_t size) {
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
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) crc = table.entries[(crc ^ bytes[i]) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void StoreU64(uint8_t* at, uint64_t value) { StoreI64(at, static_cast<int64_t>(value)); }
uint64_t LoadU64(const uint8_t* at) { return static_cast<uint64_t>(LoadI64(at)); }

bool WriteWhole(platform::FileRef file, const uint8_t* bytes, uint32_t size) {
  uint32_t put = 0;
  return platform::WriteFile(file, bytes, size, &put) && put == size;
}

// Every byte of `slot` is the old record's or the new one's at its place:
// what a write of whole sectors, cut short, can leave.
bool OldNewOrMix(const InventoryRecord& slot, const JournalEntry& entry) {
  for (uint32_t i = 0; i < kRecordSize; ++i) {
    if (slot.bytes[i] != entry.before.bytes[i] && slot.bytes[i] != entry.after.bytes[i]) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::wstring JournalPath(const std::wstring& dataPath) {
  const size_t slash = dataPath.find_last_of(L'\\');
  return (slash == std::wstring::npos ? L"" : dataPath.substr(0, slash + 1)) + L"film.jnl";
}

void EncodeJournal(const JournalEntry& entry, uint8_t* bytes) {
  std::memcpy(bytes, kMark, sizeof kMark);
  StoreI64(bytes + kSlotAt, entry.slot);
  StoreU64(bytes + kSizeAt, entry.fileSize);
  std::memcpy(bytes + kBeforeAt, entry.before.bytes, kRecordSize);
  std::memcpy(bytes + kAfterAt, entry.after.bytes, kRecordSize);
  StoreU32(bytes + kChecksumAt, Crc32(bytes, kChecksumAt));
}

bool DecodeJournal(const uint8_t* bytes, size_t size, JournalEntry* entry) {
  if (size != kJournalSize || std::memcmp(bytes, kMark, sizeof kMark) != 0 ||
      LoadU32(bytes + kChecksumAt) != Crc32(bytes, kChecksumAt)) {
    return false;
  }
  entry->slot = LoadI64(bytes + kSlotAt);
  entry->fileSize = LoadU64(bytes + kSizeAt);
  std::memcpy(entry->before.bytes, bytes + kBeforeAt, kRecordSize);
  std::memcpy(entry->after.bytes, bytes + kAfterAt, kRecordSize);
  return true;
}

bool WriteJournal(const JournalEntry& entry) {
  uint8_t bytes[kJournalSize];
  EncodeJournal(entry, bytes);
  const std::wstring path = JournalPath(DataPath);
  ScopedFile file(platform::OpenFile(path, Access::kWrite, Disposition::kCreateAlways));
  const bool written =
      file && WriteWhole(file.get(), bytes, sizeof bytes) && platform::FlushFile(file.get());
  file.Close();
  if (!written) platform::RemoveFile(path);
  return written;
}

bool RemoveJournal() { return platform::RemoveFile(JournalPath(DataPath)); }

bool JournalLeft() {
  return ScopedFile(
             platform::OpenFile(JournalPath(DataPath), Access::kRead, Disposition::kOpenExisting))
             .get() != nullptr;
}

Settling SettleJournal() {
  const std::wstring path = JournalPath(DataPath);
  uint8_t bytes[kJournalSize + 1];
  uint32_t got = 0;
  {
    ScopedFile journal(platform::OpenFile(path, Access::kRead, Disposition::kOpenExisting));
    if (!journal) return Settling::kNoJournal;
    if (!platform::ReadFile(journal.get(), bytes, sizeof bytes, &got)) return Settling::kKept;
  }
  JournalEntry entry;
  if (!DecodeJournal(bytes, got, &entry)) {
    return RemoveJournal() ? Settling::kDiscarded : Settling::kKept;
  }

  // The slot as it is, and whether the journal still belongs to this file.
  InventoryRecord slot;
  bool belongs = false;
  {
    ScopedFile data(OpenInventoryForReading());
    uint64_t size = 0;
    if (!data || !platform::GetFileSize(data.get(), &size)) return Settling::kKept;
    belongs = size == entry.fileSize && entry.slot >= 0 &&
              static_cast<uint64_t>(entry.slot) < size / kRecordSize;
    if (belongs && !ReadSlot(data.get(), entry.slot, &slot)) return Settling::kKept;
  }
  if (!belongs || !OldNewOrMix(slot, entry)) {
    return RemoveJournal() ? Settling::kDropped : Settling::kKept;
  }

  ScopedFile data(platform::OpenFile(DataPath, Access::kWrite, Disposition::kOpenExisting));
  if (!data || !PutSlot(data.get(), entry.slot, entry.after)) return Settling::kKept;
  data.Close();
  RemoveJournal();  // should it stay, the next start finds the slot finished already
  return Settling::kFinished;
}
