// A 64-bit digest for telling values apart: SipHash-2-4 under a fixed key,
// so that it comes out the same on every machine, and no pattern of
// changes to the bytes collides more often than chance would have it.
#pragma once

#include <cstddef>
#include <cstdint>

// The digest of `size` bytes under the key of `domain` (which kind of value
// they are).
uint64_t Digest(uint8_t domain, const void* data, size_t size);
