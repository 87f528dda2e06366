// The storage card on desktop Windows: the first removable drive with a
// root folder stands for the card, and "X:" for the card's folder, so that
// the inventory on it is "X:\film.dat". The object id names the drive.
// On Windows CE the card search and the object store answer instead. The
// command-line tool may name a folder that stands for the card instead.
#include "platform/win32/win32_card.h"

#include <windows.h>

#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

constexpr uint32_t kDriveObjectBase = 0x0C4D0000;
constexpr uint32_t kFolderObjectId = kDriveObjectBase + 26;
std::wstring cardFolder;  // empty: the drives are searched

void PutId(uint8_t* findRecord, uint32_t id) {
  for (int i = 0; i < 4; ++i)
    findRecord[kCardObjectIdOffset + i] = static_cast<uint8_t>(id >> (8 * i));
}

// The name as 16-bit little-endian units with a terminator; false when it
// does not fit the record.
bool PutName(const std::wstring& name, uint8_t* info) {
  std::memset(info, 0, kObjectInfoSize);
  if (name.size() > (kObjectInfoSize - kObjectInfoNameOffset) / 2 - 1) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    info[kObjectInfoNameOffset + 2 * i] = static_cast<uint8_t>(name[i]);
    info[kObjectInfoNameOffset + 2 * i + 1] = static_cast<uint8_t>(name[i] >> 8);
  }
  return true;
}

void RootOf(int drive, wchar_t root[4]) {
  root[0] = static_cast<wchar_t>(L'A' + drive);
  root[1] = L':';
  root[2] = L'\\';
  root[3] = L'\0';
}

bool IsCard(int drive) {
  wchar_t root[4];
  RootOf(drive, root);
  return (::GetLogicalDrives() >> drive & 1) != 0 && ::GetDriveTypeW(root) == DRIVE_REMOVABLE &&
         ::GetFileAttributesW(root) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

void UseCardFolderInstead(const std::wstring& folder) { cardFolder = folder; }

bool FindFirstStorageCard(uint8_t* findRecord) {
  if (!cardFolder.empty()) {
    PutId(findRecord, kFolderObjectId);
    return true;
  }
  for (int drive = 0; drive < 26; ++drive) {
    if (!IsCard(drive)) continue;
    PutId(findRecord, kDriveObjectBase + static_cast<uint32_t>(drive));
    return true;
  }
  return false;
}

bool GetObjectInfo(uint32_t objectId, uint8_t* info) {
  if (objectId == kFolderObjectId && !cardFolder.empty()) return PutName(cardFolder, info);
  if (objectId < kDriveObjectBase || objectId >= kDriveObjectBase + 26) return false;
  const int drive = static_cast<int>(objectId - kDriveObjectBase);
  if (!IsCard(drive)) return false;
  return PutName(std::wstring{static_cast<wchar_t>(L'A' + drive), L':'}, info);
}

}  // namespace platform
