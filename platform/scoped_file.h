// An open file that closes itself; Close() ends it early, as the program
// closes files before it shows a dialog or a message.
#pragma once

#include "platform/platform.h"

namespace platform {

class ScopedFile {
 public:
  explicit ScopedFile(FileRef file = nullptr) : file_(file) {}
  ~ScopedFile() { Close(); }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  ScopedFile& operator=(FileRef file) {
    Close();
    file_ = file;
    return *this;
  }

  FileRef get() const { return file_; }
  explicit operator bool() const { return file_ != nullptr; }
  // Hands the file over to the caller, who closes it.
  FileRef Release() {
    FileRef file = file_;
    file_ = nullptr;
    return file;
  }
  void Close() {
    CloseFile(file_);
    file_ = nullptr;
  }

 private:
  FileRef file_;
};

}  // namespace platform
