// What became of a step of the store on a file: nothing failed, or which
// step failed, on which file, with the cause the platform gave. The store's
// outcomes carry one up to where a message is shown, which alone chooses
// the words (the program's message boxes, filmtool's complaints).
#pragma once

#include <string>

#include "platform/platform.h"

enum class FileStep {
  kNone,    // nothing failed
  kOpen,    // opening the file (or making it)
  kSize,    // taking its size
  kRead,    // reading it, or finding it short of what it must hold
  kWrite,   // writing it, or writing less than all
  kFlush,   // pushing what was written to the medium
  kCut,     // cutting it back to a size
  kRename,  // giving it its name
};

struct FileStatus {
  FileStep step = FileStep::kNone;
  std::wstring path;  // the file the step was on
  // The platform's cause; kNone where the call succeeded but moved fewer
  // bytes than asked.
  platform::FileError error = platform::FileError::kNone;
  bool ok() const { return step == FileStep::kNone; }
};

// The failure of `step` on `path`, with the cause the failed call returned
// (kNone for a call that moved fewer bytes than asked).
inline FileStatus Failed(FileStep step, const std::wstring& path, platform::FileError error) {
  return FileStatus{step, path, error};
}
