// The platform's files and memory as one small interface. The build's back
// end (platform/win32, platform/host) gives the real one; test layers wrap
// it, overriding only what they need, and are installed with SetEnv. The
// rest of the program calls the free functions of platform.h, which go to
// the Env in use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace platform {

class Env {
 public:
  virtual ~Env() = default;

  // Opens a regular file at `path` sharing read access only, a handle with
  // write access holding it against other writers (platform.h); nullptr on
  // failure: kNotRegular for a link, folder, device or pipe, kBusy for a file
  // another handle holds.
  virtual FileRef OpenFile(const std::wstring& path, Access access, Disposition disposition) = 0;
  // Reads up to `count` bytes at the position; false on failure, with
  // `*transferred` the bytes moved either way (short at the end of the file).
  virtual bool ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) = 0;
  // Writes `count` bytes at the position; false on failure, with
  // `*transferred` the bytes moved either way.
  virtual bool WriteFile(FileRef file, const void* buffer, uint32_t count,
                         uint32_t* transferred) = 0;
  // Moves the position to `offset` bytes from the start; false on failure.
  virtual bool SetFilePosition(FileRef file, uint32_t offset) = 0;
  // The file's full size (beyond 32 bits too); false when it cannot be taken.
  virtual bool GetFileSize(FileRef file, uint64_t* size) = 0;
  // Returns once what was written has reached the medium, and the file's
  // name with it when this handle created the file; false on failure.
  virtual bool FlushFile(FileRef file) = 0;
  // Cuts the file to its first `size` bytes, no more than it has; the new
  // end reaches the medium with the next FlushFile. False on failure.
  virtual bool CutFile(FileRef file, uint32_t size) = 0;
  // Releases the handle; nullptr is ignored.
  virtual void CloseFile(FileRef file) = 0;
  // Removes the file (a link itself); true when it is gone, also when it was
  // never there; false while another handle holds it for writing. The
  // removal may reach the medium only later.
  virtual bool RemoveFile(const std::wstring& path) = 0;
  // Gives file `from` the name `to`, which must not exist: an existing `to`
  // is never replaced. Returns once the change has reached the medium.
  virtual Renamed RenameFile(const std::wstring& from, const std::wstring& to) = 0;
  // Puts file `from` in place of `to` (which may or may not exist) in one
  // step, and returns once the change has reached the medium.
  virtual Renamed PutFileInPlace(const std::wstring& from, const std::wstring& to) = 0;
  // Why the last file call (CloseFile aside) failed; kNone when it succeeded.
  virtual FileError LastFileError() = 0;

  // A zero-filled block of count * size bytes; nullptr on failure (overflow
  // included).
  virtual void* AllocateZeroed(size_t count, size_t size) = 0;
  // Releases a block of AllocateZeroed; nullptr is ignored.
  virtual void Release(void* block) = 0;
  // A block of `bytes` that starts on a memory page, for large file reads
  // (the copy from the file cache runs fastest into one); nullptr on failure.
  virtual void* AllocatePages(size_t bytes) = 0;
  // Releases a block of AllocatePages; nullptr is ignored.
  virtual void ReleasePages(void* block) = 0;
};

// The back end's own Env, chosen by the build.
Env& DefaultEnv();
// The Env that the free functions of platform.h use.
Env& CurrentEnv();
// Makes `env` the one in use; nullptr puts the default back. For test layers.
void SetEnv(Env* env);

// Passes every call to another Env; a test layer overrides what it changes.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env& target) : target_(target) {}
  Env& target() const { return target_; }

  FileRef OpenFile(const std::wstring& path, Access access, Disposition disposition) override {
    return target_.OpenFile(path, access, disposition);
  }
  bool ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) override {
    return target_.ReadFile(file, buffer, count, transferred);
  }
  bool WriteFile(FileRef file, const void* buffer, uint32_t count, uint32_t* transferred) override {
    return target_.WriteFile(file, buffer, count, transferred);
  }
  bool SetFilePosition(FileRef file, uint32_t offset) override {
    return target_.SetFilePosition(file, offset);
  }
  bool GetFileSize(FileRef file, uint64_t* size) override {
    return target_.GetFileSize(file, size);
  }
  bool FlushFile(FileRef file) override { return target_.FlushFile(file); }
  bool CutFile(FileRef file, uint32_t size) override { return target_.CutFile(file, size); }
  void CloseFile(FileRef file) override { target_.CloseFile(file); }
  bool RemoveFile(const std::wstring& path) override { return target_.RemoveFile(path); }
  Renamed RenameFile(const std::wstring& from, const std::wstring& to) override {
    return target_.RenameFile(from, to);
  }
  Renamed PutFileInPlace(const std::wstring& from, const std::wstring& to) override {
    return target_.PutFileInPlace(from, to);
  }
  FileError LastFileError() override { return target_.LastFileError(); }
  void* AllocateZeroed(size_t count, size_t size) override {
    return target_.AllocateZeroed(count, size);
  }
  void Release(void* block) override { target_.Release(block); }
  void* AllocatePages(size_t bytes) override { return target_.AllocatePages(bytes); }
  void ReleasePages(void* block) override { target_.ReleasePages(block); }

 private:
  Env& target_;
};

}  // namespace platform
