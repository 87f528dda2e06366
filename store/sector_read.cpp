#include "store/sector_read.h"

#include <algorithm>
#include <cstring>

uint32_t ReadBySector(platform::FileRef file, uint32_t offset, uint32_t size, uint8_t* bytes,
                      bool* failed) {
  using platform::kSectorSize;
  const uint32_t firstSector = offset / kSectorSize;
  const uint32_t sectors = size == 0 ? 0 : (offset + size - 1) / kSectorSize - firstSector + 1;
  std::fill(failed, failed + sectors, false);
  std::memset(bytes, 0, size);
  uint32_t got = 0;
  if (platform::SetFilePosition(file, offset) && platform::ReadFile(file, bytes, size, &got)) {
    return got;
  }
  uint32_t total = 0;
  for (uint32_t i = 0; i < sectors; ++i) {
    const uint32_t from = std::max(offset, (firstSector + i) * kSectorSize);
    const uint32_t to = std::min(offset + size, (firstSector + i + 1) * kSectorSize);
    uint32_t piece = 0;
    failed[i] = !platform::SetFilePosition(file, from) ||
                !platform::ReadFile(file, bytes + (from - offset), to - from, &piece);
    total += failed[i] ? to - from : piece;
  }
  return total;
}
