#include "store/slot_io.h"

#include <cstring>

#include "platform/scoped_file.h"
#include "store/journal.h"
#include "store/store_state.h"

platform::FileRef OpenInventoryForReading() {
  return platform::OpenFile(DataPath, platform::Access::kRead,
                            platform::Disposition::kOpenExisting);
}

bool ReadSlot(platform::FileRef file, int64_t slot, InventoryRecord* record) {
  InventoryRecord read;
  uint32_t got = 0;
  if (!platform::SetFilePosition(file, SlotOffset(slot)) ||
      !platform::ReadFile(file, read.bytes, kRecordSize, &got) || got != kRecordSize) {
    return false;
  }
  std::memcpy(record->bytes, read.bytes, kRecordSize);
  return true;
}

SlotRun::SlotRun(uint32_t capacity)
    : bytes_(static_cast<uint8_t*>(platform::AllocatePages(size_t{capacity} * kRecordSize))),
      capacity_(bytes_ != nullptr ? capacity : 0) {}

SlotRun::~SlotRun() { platform::ReleasePages(bytes_); }

bool SlotRun::Read(platform::FileRef file, int64_t first, uint32_t count) {
  count_ = 0;
  return platform::SetFilePosition(file, SlotOffset(first)) && Fill(file, first, count);
}

bool SlotRun::ReadFollowing(platform::FileRef file, uint32_t count) {
  const int64_t first = first_ + count_;
  count_ = 0;
  return Fill(file, first, count);
}

bool SlotRun::Fill(platform::FileRef file, int64_t first, uint32_t count) {
  if (bytes_ == nullptr || count > capacity_) return false;
  const uint32_t want = count * kRecordSize;
  uint32_t got = 0;
  if (!platform::ReadFile(file, bytes_, want, &got) || got != want) return false;
  first_ = first;
  count_ = count;
  return true;
}

const uint8_t* SlotRun::Record(int64_t slot) const {
  if (slot < first_ || slot >= first_ + count_) return nullptr;
  return bytes_ + static_cast<size_t>(slot - first_) * kRecordSize;
}

bool PutBytes(platform::FileRef file, uint32_t offset, const uint8_t* bytes, uint32_t size) {
  uint32_t put = 0;
  return platform::SetFilePosition(file, offset) && platform::WriteFile(file, bytes, size, &put) &&
         put == size && platform::FlushFile(file);
}

bool PutSlot(platform::FileRef file, int64_t slot, const InventoryRecord& record) {
  return PutBytes(file, SlotOffset(slot), record.bytes, kRecordSize);
}

WriteOutcome WriteSlot(int64_t slot, const InventoryRecord& record, const InventoryRecord& shown) {
  platform::ScopedFile file(platform::OpenFile(DataPath, platform::Access::kReadWrite,
                                               platform::Disposition::kOpenExisting));
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
  platform::ScopedFile journal(WriteJournal(MakeJournalEntry(slot, size, around, record)));
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
