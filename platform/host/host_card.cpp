// The scripted storage card: absent, present with a folder, or present with
// details that cannot be read.
#include <cstring>

#include "platform/host/host_state.h"
#include "platform/platform.h"

namespace platform {
namespace {
constexpr uint32_t kCardObjectId = 0x0C4D0001;

void StoreU32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}
}  // namespace

namespace host {
void SetStorageCard(CardState state, const std::wstring& folder) {
  State().card = state;
  State().cardFolder = folder;
}
}  // namespace host

bool FindFirstStorageCard(uint8_t* findRecord) {
  if (host::State().card == host::CardState::kAbsent) return false;
  StoreU32(findRecord + kCardObjectIdOffset, kCardObjectId);
  return true;
}

bool GetObjectInfo(uint32_t objectId, uint8_t* info) {
  const host::HostState& s = host::State();
  if (objectId != kCardObjectId || s.card != host::CardState::kPresent) return false;
  std::memset(info, 0, kObjectInfoSize);
  // The name, as 16-bit little-endian units with a terminator, must fit.
  const size_t room = (kObjectInfoSize - kObjectInfoNameOffset) / 2 - 1;
  if (s.cardFolder.size() > room) return false;
  uint8_t* at = info + kObjectInfoNameOffset;
  for (wchar_t c : s.cardFolder) {
    at[0] = static_cast<uint8_t>(c);
    at[1] = static_cast<uint8_t>(static_cast<uint32_t>(c) >> 8);
    at += 2;
  }
  return true;
}

}  // namespace platform
