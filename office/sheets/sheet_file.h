// The file a sheet export writes: written under the name FILE.part and put
// in place of FILE only once whole and on the medium, so that until then
// the file there, if any, stays as it was, and an export cut short
// (cancelled, failed, killed) never leaves anything at FILE.
#pragma once

#include <string>

#include "office/listener.h"
#include "platform/platform.h"

class SheetFile {
 public:
  // What stands in the way is told to `told`.
  explicit SheetFile(Listener& told) : told_(told) {}
  // The part is removed unless it was put in place; its handle must be
  // closed by then (a member declared after this one is).
  ~SheetFile();

  // Takes the name FILE (UTF-8): false, told, when it is no file name.
  bool Name(const std::string& path);
  const std::wstring& part() const { return part_; }

  // Puts the part, flushed and closed, in place of FILE: false, told, when
  // it cannot be.
  bool PutInPlace();
  // Tells, once, that a step on the part failed for `why`; false.
  bool Failed(platform::FileError why);
  // Tells, once, that the sheet cannot be written for the reason `why`
  // (words that follow "FILE: "); false.
  bool Failed(const std::string& why);

 private:
  std::string path_;
  std::wstring wide_, part_;
  Listener& told_;
  bool said_ = false;
  bool placed_ = false;
};
