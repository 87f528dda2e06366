#include "store/store_state.h"

#include <cstring>

#include "platform/platform.h"
#include "store/journal_overlay.h"
#include "store/settings_image.h"

InventoryRecord CurrentRecord{};
std::wstring DataPath;
Slot SlotCount = 0;
int32_t ActiveCount = 0;
int32_t DeletedCount = 0;
IndexEntry* NumberIndex = nullptr;
PrefixEntry* PrefixTable = nullptr;
Slot IndexedSlots = 0;
uint32_t HeldFileWait = 0;

void ResetStoreState() {
  StopReadingThroughJournal();
  std::memset(&CurrentRecord, 0, sizeof CurrentRecord);
  std::memset(&SettingsImage, 0, sizeof SettingsImage);
  DataPath.clear();
  SlotCount = ActiveCount = DeletedCount = 0;
  platform::Release(NumberIndex);
  platform::Release(PrefixTable);
  NumberIndex = nullptr;
  PrefixTable = nullptr;
  IndexedSlots = 0;
  HeldFileWait = 0;
}

bool AllocateIndex(int64_t slots, IndexEntry** numbers, PrefixEntry** prefixes) {
  const size_t entries = static_cast<size_t>(slots) + kSpareEntries;
  *numbers = static_cast<IndexEntry*>(platform::AllocateZeroed(entries, sizeof(IndexEntry)));
  *prefixes = static_cast<PrefixEntry*>(platform::AllocateZeroed(entries, sizeof(PrefixEntry)));
  if (*numbers != nullptr && *prefixes != nullptr) return true;
  platform::Release(*numbers);
  platform::Release(*prefixes);
  *numbers = nullptr;
  *prefixes = nullptr;
  return false;
}
