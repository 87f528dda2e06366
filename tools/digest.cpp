#include "tools/digest.h"

namespace {

uint64_t Rotate(uint64_t x, int b) { return x << b | x >> (64 - b); }

void Round(uint64_t& v0, uint64_t& v1, uint64_t& v2, uint64_t& v3) {
  v0 += v1;
  v1 = Rotate(v1, 13) ^ v0;
  v0 = Rotate(v0, 32);
  v2 += v3;
  v3 = Rotate(v3, 16) ^ v2;
  v0 += v3;
  v3 = Rotate(v3, 21) ^ v0;
  v2 += v1;
  v1 = Rotate(v1, 17) ^ v2;
  v2 = Rotate(v2, 32);
}

uint64_t Load64(const uint8_t* p) {
  uint64_t v = 0;
  for (int i = 7; i >= 0; --i) v = v << 8 | p[i];
  return v;
}

}  // namespace

uint64_t Digest(uint8_t domain, const void* data, size_t size) {
  // A fixed key: the mark must come out the same on every machine.
  constexpr uint64_t k0 = 0x7461'6c6c'6f2d'6d61ull, k1 = 0x726b'2d76'312e'3030ull;
  uint64_t v0 = k0 ^ 0x736f6d6570736575ull, v1 = k1 ^ 0x646f72616e646f6dull;
  uint64_t v2 = k0 ^ 0x6c7967656e657261ull, v3 = k1 ^ 0x7465646279746573ull;
  const auto* bytes = static_cast<const uint8_t*>(data);
  const size_t total = size + 1;
  uint8_t block[8];
  size_t filled = 0;
  const auto take = [&](uint8_t b) {
    block[filled++] = b;
    if (filled < 8) return;
    const uint64_t m = Load64(block);
    v3 ^= m;
    Round(v0, v1, v2, v3);
    Round(v0, v1, v2, v3);
    v0 ^= m;
    filled = 0;
  };
  take(domain);
  size_t i = 0;
  // Whole blocks straight from the data once the block is aligned with it.
  while (i < size && filled != 0) take(bytes[i++]);
  for (; i + 8 <= size; i += 8) {
    const uint64_t m = Load64(bytes + i);
    v3 ^= m;
    Round(v0, v1, v2, v3);
    Round(v0, v1, v2, v3);
    v0 ^= m;
  }
  while (i < size) take(bytes[i++]);
  uint64_t last = uint64_t{total & 0xFF} << 56;
  for (size_t k = 0; k < filled; ++k) last |= uint64_t{block[k]} << (8 * k);
  v3 ^= last;
  Round(v0, v1, v2, v3);
  Round(v0, v1, v2, v3);
  v0 ^= last;
  v2 ^= 0xFF;
  for (int r = 0; r < 4; ++r) Round(v0, v1, v2, v3);
  return v0 ^ v1 ^ v2 ^ v3;
}

