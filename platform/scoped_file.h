// An open file that closes itself; Close() ends it early, as the program
// closes files before it shows a dialog or a message. Made from an opening,
// it keeps why the file did not open.
#pragma once

#include "platform/platform.h"

namespace platform {

class ScopedFile {
 public:
  explicit ScopedFile(FileRef file = nullptr) : file_(file) {}
  ScopedFile(Opened opened) : file_(opened.file), error_(opened.error) {}  // NOLINT
  ~ScopedFile() { Close(); }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  ScopedFile& operator=(FileRef file) {
    Close();
    file_ = file;
    error_ = FileError::kNone;
    return *this;
  }
  ScopedFile& operator=(Opened opened) {
    Close();
    file_ = opened.file;
    error_ = opened.error;
    return *this;
  }

  FileRef get() const { return file_; }
  explicit operator bool() const { return file_ != nullptr; }
  // Why the opening it was made from failed; kNone otherwise.
  FileError error() const { return error_; }
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
  FileError error_ = FileError::kNone;
};

}  // namespace platform
