#include "records/record_file.h"

#include <cstring>

#include "platform/scoped_file.h"
#include "store/store_state.h"

bool ReadRecordAt(platform::FileRef file, int64_t slot, InventoryRecord* record) {
  InventoryRecord read;
  uint32_t got = 0;
  if (!platform::SetFilePosition(file, SlotOffset(slot)) ||
      !platform::ReadFile(file, read.bytes, kRecordSize, &got) || got != kRecordSize) {
    return false;
  }
  std::memcpy(record->bytes, read.bytes, kRecordSize);
  return true;
}

namespace {

bool PutRecord(platform::FileRef file, int64_t slot, const InventoryRecord& record) {
  uint32_t put = 0;
  return platform::SetFilePosition(file, SlotOffset(slot)) &&
         platform::WriteFile(file, record.bytes, kRecordSize, &put) && put == kRecordSize &&
         platform::FlushFile(file);
}

}  // namespace

WriteOutcome WriteRecordAt(int64_t slot, const InventoryRecord& record,
                           const InventoryRecord& previous) {
  platform::ScopedFile file(
      platform::OpenFile(DataPath, platform::Access::kWrite, platform::Disposition::kOpenExisting));
  if (!file) return WriteOutcome::kNotOpened;
  if (PutRecord(file.get(), slot, record)) return WriteOutcome::kWritten;
  PutRecord(file.get(), slot, previous);
  return WriteOutcome::kFailed;
}
