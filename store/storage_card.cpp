#include "store/storage_card.h"

#include <cstdint>

#include "platform/platform.h"
#include "store/byte_order.h"
#include "store/file_names.h"

CardLookup LookUpCardDataPath(std::wstring* dataPath) {
  auto* find = static_cast<uint8_t*>(platform::AllocateZeroed(1, platform::kCardFindRecordSize));
  if (find == nullptr) return CardLookup::kNoRecord;
  CardLookup result = CardLookup::kNoCard;
  if (platform::FindFirstStorageCard(find)) {
    uint8_t info[platform::kObjectInfoSize] = {};
    result = CardLookup::kNoDetail;
    if (platform::GetObjectInfo(LoadU32(find + platform::kCardObjectIdOffset), info)) {
      // The folder name: 16-bit units from byte 12 up to a terminator, never
      // past the end of the record.
      std::wstring folder;
      for (size_t at = platform::kObjectInfoNameOffset; at + 1 < sizeof info; at += 2) {
        const wchar_t unit = static_cast<wchar_t>(info[at] | info[at + 1] << 8);
        if (unit == 0) break;
        folder += unit;
      }
      *dataPath = folder + L"\\" + kDataFileName;
      result = CardLookup::kFound;
    }
  }
  platform::Release(find);
  return result;
}
