#include "store/store_state.h"

#include <cstring>

#include "platform/platform.h"
#include "store/journal_overlay.h"
#include "store/settings_image.h"

InventoryRecord CurrentRecord{};
std::wstring DataPath;
int32_t SlotCount = 0;
int32_t ActiveCount = 0;
int32_t DeletedCount = 0;
IndexEntry* NumberIndex = nullptr;
PrefixEntry* PrefixTable = nullptr;
int64_t IndexedSlots = 0;
uint32_t HeldFileWait = 0;
platform::FileError OpendataFailure = platform::FileError::kNone;

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
  OpendataFailure = platform::FileError::kNone;
}
