// A workbook's shared strings, held once, one after another: the first
// megabytes in memory, and what a large workbook holds beyond them put
// aside in a file beside it (created only then, removed with the table),
// so that the strings of any workbook take a bounded part of memory. Each
// string costs its bytes and four of index; the index is kept the same way.
// Strings are added while the workbook opens, then only read, by one
// thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

class StringTable {
 public:
  // The longest string a table holds.
  static constexpr size_t kLongest = size_t{2} << 20;
  // What the strings' bytes and their index may take of memory.
  static constexpr size_t kTextInMemory = size_t{40} << 20;
  static constexpr size_t kIndexInMemory = size_t{16} << 20;

  // Strings beyond memory go into `spill` + ".strings.part" and
  // ".index.part" (a wide path; "" keeps them all in memory), or, where
  // another import has those open, the same names with "-2" and on.
  explicit StringTable(std::wstring spill = {}, size_t textInMemory = kTextInMemory,
                       size_t indexInMemory = kIndexInMemory);
  ~StringTable();
  StringTable(const StringTable&) = delete;
  StringTable& operator=(const StringTable&) = delete;

  // Adds `text` (at most kLongest bytes) as the next string: false, and
  // nothing added, once the file that takes what memory does not cannot
  // (cause() says why; kNone when there is no such file, or the table
  // would pass 4 GiB).
  bool Add(std::string_view text);
  size_t size() const { return count_; }

  // String `index`: a view valid while the table lives, `*copiedAt`
  // npos; or, for one that lies outside memory (or across two of its
  // blocks), read onto the end of `*copies`, at `*copiedAt`, `*text` then
  // a view of it there until `*copies` grows. False when it cannot be read
  // (cause() says why).
  bool Get(size_t index, std::string* copies, std::string_view* text, size_t* copiedAt);
  platform::FileError cause() const;
  // Whether strings went into the file.
  bool spilled() const;
  // The memory the table takes.
  size_t bytes() const;

  class Stream;

 private:
  std::unique_ptr<Stream> text_, index_;
  size_t count_ = 0;
};
