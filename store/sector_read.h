// Reading a byte range that a power cut may have broken: a medium fails the
// read of a sector it was writing when the power failed, so a failed read is
// tried again a sector at a time to learn which sectors can still be read.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Reads [offset, offset + size) of `file` as far as the file goes and
// returns the bytes read. When the read fails, the range is read again a
// sector at a time: `failed[i]` tells whether the i-th sector it touches
// still failed (its bytes are left zero). `failed` has room for every sector
// the range touches.
uint32_t ReadBySector(platform::FileRef file, uint32_t offset, uint32_t size, uint8_t* bytes,
                      bool* failed);
