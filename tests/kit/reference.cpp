#include "tests/kit/reference.h"

#include "commands/records_state.h"
#include "platform/scoped_file.h"
#include "store/byte_order.h"
#include "store/slot_io.h"
#include "store/whole_io.h"

void InsertionSort(IndexEntry* entries, int64_t count) {
  for (int64_t k = 1; k < count; ++k) {
    const IndexEntry held = entries[k];
    int64_t j = k - 1;
    while (j >= 0 && entries[j].number > held.number) {
      entries[j + 1] = entries[j];
      --j;
    }
    entries[j + 1] = held;
  }
}

bool ReferenceLoad() {
  InventoryFile file = OpenInventoryForReading();
  uint64_t size = 0;
  if (!file || !file.GetSize(&size) || size == 0 || size % kRecordSize != 0) {
    return false;
  }
  SlotCount = static_cast<int32_t>(size / kRecordSize);
  const size_t entries = static_cast<size_t>(SlotCount) + kSpareEntries;
  NumberIndex = static_cast<IndexEntry*>(platform::AllocateZeroed(entries, sizeof(IndexEntry)));
  PrefixTable = static_cast<PrefixEntry*>(platform::AllocateZeroed(entries, sizeof(PrefixEntry)));
  ActiveCount = DeletedCount = 0;
  uint32_t i = 0;
  for (uint32_t got = 0; i < static_cast<uint32_t>(SlotCount); ++i) {
    if (!file.Read(CurrentRecord.bytes, kRecordSize, &got) || got != kRecordSize) {
      break;
    }
    int64_t number = LoadI64(CurrentRecord.bytes);
    if (number <= 0 && number != kDeletedNumber) number = kDeletedNumber;
    NumberIndex[i] = IndexEntry{number, i};
    PrefixTable[i].bytes[0] = CurrentRecord.bytes[kDescriptionOffset];
    PrefixTable[i].bytes[1] = CurrentRecord.bytes[kDescriptionOffset + 1];
    if (number < 0) {
      ++DeletedCount;
    } else {
      ++ActiveCount;
    }
  }
  IndexedSlots = i;
  InsertionSort(NumberIndex, i);
  return true;
}

int64_t ReferenceWalk(int64_t target) {
  int64_t i = 0;
  while (NumberIndex[i].number < target && NumberIndex[i].number != 0) ++i;
  return i;
}

bool MatchesPattern(const char* p, const uint8_t* record) {
  const uint8_t* description = record + kDescriptionOffset;
  if (description[0] == 0) return false;
  for (size_t k = 0; p[k] != '\0'; ++k) {
    if (p[k] != '?' && static_cast<uint8_t>(p[k]) != description[k]) return false;
  }
  return true;
}

bool PlainWriteSlot(int64_t slot, const InventoryRecord& record) {
  platform::ScopedFile file(
      platform::OpenFile(DataPath, platform::Access::kWrite, platform::Disposition::kOpenExisting));
  return file && WriteWholeAt(file.get(), SlotOffset(slot), record.bytes, kRecordSize) &&
         platform::FlushFile(file.get());
}

ScanOutcome ReferenceScan(InventoryFile& file) {
  const char* p = InputText;
  for (; CurrentSlot <= int64_t{SlotCount} - 1; ++CurrentSlot) {
    const uint8_t* prefix = PrefixTable[CurrentSlot].bytes;
    if (prefix[0] == 0 || (p[0] != '?' && static_cast<uint8_t>(p[0]) != prefix[0]) ||
        (p[1] != '?' && static_cast<uint8_t>(p[1]) != prefix[1])) {
      continue;
    }
    if (!ReadSlot(file, CurrentSlot, &CurrentRecord)) return ScanOutcome::kReadFailed;
    if (MatchesPattern(p, CurrentRecord.bytes)) return ScanOutcome::kMatch;
  }
  return ScanOutcome::kExhausted;
}
