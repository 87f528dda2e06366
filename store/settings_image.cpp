#include "store/settings_image.h"

#include "store/byte_order.h"

SettingsBlock SettingsImage{};

float AmendFocusOption() { return LoadF32(SettingsImage.bytes + kAmendFocusOffset); }
void SetAmendFocusOption(float value) { StoreF32(SettingsImage.bytes + kAmendFocusOffset, value); }
float StorageOption() { return LoadF32(SettingsImage.bytes + kStorageOffset); }
void SetStorageOption(float value) { StoreF32(SettingsImage.bytes + kStorageOffset, value); }
