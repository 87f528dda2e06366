// Little-endian fields at any offset, read and written byte by byte: the
// record layouts put four-byte fields at odd and 2-mod-4 offsets.
#pragma once

#include <cstdint>
#include <cstring>

inline uint32_t LoadU32(const uint8_t* at) {
  return uint32_t{at[0]} | uint32_t{at[1]} << 8 | uint32_t{at[2]} << 16 | uint32_t{at[3]} << 24;
}

inline void StoreU32(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

inline int64_t LoadI64(const uint8_t* at) {
  uint64_t value = 0;
  for (int i = 7; i >= 0; --i) value = value << 8 | at[i];
  return static_cast<int64_t>(value);
}

inline void StoreI64(uint8_t* at, int64_t value) {
  const auto bits = static_cast<uint64_t>(value);
  for (int i = 0; i < 8; ++i) at[i] = static_cast<uint8_t>(bits >> (8 * i));
}

inline float LoadF32(const uint8_t* at) {
  const uint32_t bits = LoadU32(at);
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void StoreF32(uint8_t* at, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, sizeof bits);
  StoreU32(at, bits);
}
