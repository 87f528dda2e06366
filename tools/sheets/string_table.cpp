#include "tools/sheets/string_table.h"

#include <cstring>

namespace {
// A string's place: its block in the high bits, its start in the block and
// its length below (each under 2^23).
constexpr unsigned kBits = 23;
constexpr uint64_t kMask = (uint64_t{1} << kBits) - 1;
}  // namespace

bool StringTable::Add(std::string_view text, size_t budget) {
  if (text.empty()) {  // in no block
    if (bytes() + sizeof(uint64_t) > budget) return false;
    where_.push_back(0);
    return true;
  }
  const bool fresh = blocks_.empty() || used_ + text.size() > kBlock;
  if (bytes() + (fresh ? kBlock : 0) + sizeof(uint64_t) > budget) return false;
  if (fresh) {
    blocks_.push_back(std::make_unique<char[]>(kBlock));
    used_ = 0;
  }
  std::memcpy(blocks_.back().get() + used_, text.data(), text.size());
  where_.push_back(uint64_t{blocks_.size() - 1} << (2 * kBits) | uint64_t{used_} << kBits |
                   text.size());
  used_ += text.size();
  return true;
}

std::string_view StringTable::operator[](size_t index) const {
  const uint64_t at = where_[index];
  if ((at & kMask) == 0) return {};
  return {blocks_[at >> (2 * kBits)].get() + (at >> kBits & kMask), at & kMask};
}
