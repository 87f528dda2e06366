// Strings held once, one after another in blocks that never move: a view
// of a string stays valid as more are added, and the table grows without
// copying what it holds, so that what it takes is what it holds and never
// twice that while it grows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string_view>
#include <vector>

class StringTable {
 public:
  // The longest string a table holds.
  static constexpr size_t kLongest = size_t{2} << 20;

  // Adds `text` (at most kLongest bytes) as the next string: false, and
  // nothing added, once the table would take more than `budget` bytes.
  bool Add(std::string_view text, size_t budget);
  std::string_view operator[](size_t index) const;
  size_t size() const { return where_.size(); }
  // The memory the table takes, its blocks and index.
  size_t bytes() const { return blocks_.size() * kBlock + where_.size() * sizeof(uint64_t); }

 private:
  static constexpr size_t kBlock = kLongest * 2;
  std::vector<std::unique_ptr<char[]>> blocks_;
  size_t used_ = 0;  // of the last block
  // Each string's block, place in it and length, packed.
  std::deque<uint64_t> where_;
};
