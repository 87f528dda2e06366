// The 42550-byte settings block kept whole in tallo.cfg. Two packed
// single-precision floats mean something; the rest is carried through.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t kSettingsSize = 42550;
constexpr size_t kAmendFocusOffset = 40962;
constexpr size_t kStorageOffset = 40970;

// The only values the program writes into the two options.
constexpr float kOptionOff = 0.0f;  // focus on In stock; inventory on the device
constexpr float kOptionOn = 2.0f;   // focus on Price; inventory on the storage card

struct SettingsBlock {
  uint8_t bytes[kSettingsSize];
};

extern SettingsBlock SettingsImage;

float AmendFocusOption();
void SetAmendFocusOption(float value);
float StorageOption();
void SetStorageOption(float value);
