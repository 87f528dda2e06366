// Reads and writes that move all of what they are asked to or fail: a
// short read or write counts as a failure, so that no half of a record,
// journal or settings image is ever taken for the whole.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "store/file_status.h"

// What became of a whole read or write: all of it moved, or not, with the
// cause the failed call returned (kNone when a call moved fewer bytes than
// asked).
struct [[nodiscard]] WholeResult {
  bool done = true;
  platform::FileError error = platform::FileError::kNone;
  explicit operator bool() const { return done; }
};

// `size` bytes from the position, or from `offset`, into `bytes`. Not done
// when a step fails or the file holds fewer.
WholeResult ReadWhole(platform::FileRef file, void* bytes, uint32_t size);
WholeResult ReadWholeAt(platform::FileRef file, uint32_t offset, void* bytes, uint32_t size);
// `size` bytes at the position, or at `offset`, without waiting for the
// medium. Not done when a step fails or fewer are written.
WholeResult WriteWhole(platform::FileRef file, const void* bytes, uint32_t size);
WholeResult WriteWholeAt(platform::FileRef file, uint32_t offset, const void* bytes, uint32_t size);

// Writes `bytes` as a new file under the temporary name `temp` (held
// against other writers meanwhile), pushes it to the medium, and only then
// gives it the name `path`: replacing what is there with `replace`, else
// only while `path` is free (platform::RenameFile). A power cut leaves the
// old file or the new one whole, never a cut one. Unless the file was
// renamed, `temp` is removed again. `*status` gets the step that failed.
platform::Renamed PutNewFile(const std::wstring& temp, const std::wstring& path,
                             const uint8_t* bytes, uint32_t size, bool replace, FileStatus* status);
