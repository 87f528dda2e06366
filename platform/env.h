// The platform's files and memory as one small interface. The build's back
// end (platform/win32, platform/host) gives the real one; test layers wrap
// it, overriding only what they need, and are installed with SetEnv. The
// rest of the program calls the free functions at the end, which go to the
// Env in use; each call is said once, at its method here. Every file call
// returns its own cause: nothing is kept for a later caller to ask, and an
// Env may be called from several threads at once (the back office's window
// saves its settings while its worker reads the inventory).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace platform {

class Env {
 public:
  virtual ~Env() = default;

  // Opens `path` sharing read access only: other programs may read the file
  // meanwhile but not write it. A handle with write access holds the file
  // against every other writer until it is closed (Windows: no write sharing
  // and an exclusive byte-range lock on the whole file, which Wine turns
  // into a POSIX lock that Linux programs meet; Linux: an exclusive
  // open-file-description lock on the whole file, which other programs'
  // fcntl locks and Wine's meet), and a file held so fails with kBusy, at
  // once; kCreateAlways empties a file only once it holds it. A bare name
  // lies in the program's own folder; a backslash separates folders. Only a
  // regular file opens: a symbolic link (or other reparse point) is never
  // followed, and a link, folder, device or pipe fails with kNotRegular
  // without being waited on. On failure, no file and the cause.
  virtual Opened OpenFile(const std::wstring& path, Access access, Disposition disposition) = 0;
  // Reads up to `count` bytes at the position and moves it on; on failure,
  // the cause. `*transferred` is the count read either way, short only at
  // the end of the file.
  virtual FileResult ReadFile(FileRef file, void* buffer, uint32_t count,
                              uint32_t* transferred) = 0;
  // Writes `count` bytes at the position and moves it on; on failure, the
  // cause. `*transferred` is the count written either way.
  virtual FileResult WriteFile(FileRef file, const void* buffer, uint32_t count,
                               uint32_t* transferred) = 0;
  // Moves the position to `offset` bytes from the start (offsets of 2 GiB and
  // more included); on failure, the cause.
  virtual FileResult SetFilePosition(FileRef file, uint32_t offset) = 0;
  // The file's full size, beyond 32 bits too, so that callers can refuse such
  // files; the cause when it cannot be taken.
  virtual FileResult GetFileSize(FileRef file, uint64_t* size) = 0;
  // Returns once what was written through the handle has reached the medium,
  // and with it the file's name whenever that name is not yet known to be
  // there: the handle made the file, or another program or an earlier run
  // of this one did and this process has pushed no folder since that
  // holds the name. On failure, the cause.
  virtual FileResult FlushFile(FileRef file) = 0;
  // Cuts the file to its first `size` bytes, no more than it has (shrinking
  // needs no room on the medium), and leaves the position anywhere. The new
  // end reaches the medium with the next FlushFile. On failure, the cause.
  virtual FileResult CutFile(FileRef file, uint32_t size) = 0;
  // Releases the handle; nullptr is ignored.
  virtual void CloseFile(FileRef file) = 0;
  // Removes the file (a link itself, never what it names). Done when it is
  // gone afterwards, also when it was never there; kBusy while another
  // handle holds it for writing (on Windows, while any handle has it open).
  // The removal reaches the medium later: a power cut soon after may bring
  // the file back.
  virtual FileResult RemoveFile(const std::wstring& path) = 0;
  // Gives file `from` the name `to`, which must not exist: an existing `to` is
  // never replaced. Returns once the change has reached the medium. A `from`
  // that another handle holds for writing is not moved (kBusy).
  virtual Renaming RenameFile(const std::wstring& from, const std::wstring& to) = 0;
  // Puts file `from` in place of `to` (there or not) in one step and returns
  // once the change has reached the medium; not while another handle holds
  // `from` for writing (kBusy).
  virtual Renaming PutFileInPlace(const std::wstring& from, const std::wstring& to) = 0;

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
// The Env that the free functions below use.
Env& CurrentEnv();
// Makes `env` the one in use; nullptr puts the default back. For test
// layers, installed while no other thread calls the Env.
void SetEnv(Env* env);

// Passes every call to another Env; a test layer overrides what it changes.
class EnvWrapper : public Env {
 public:
  explicit EnvWrapper(Env& target) : target_(target) {}
  Env& target() const { return target_; }

  Opened OpenFile(const std::wstring& path, Access access, Disposition disposition) override {
    return target_.OpenFile(path, access, disposition);
  }
  FileResult ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) override {
    return target_.ReadFile(file, buffer, count, transferred);
  }
  FileResult WriteFile(FileRef file, const void* buffer, uint32_t count,
                       uint32_t* transferred) override {
    return target_.WriteFile(file, buffer, count, transferred);
  }
  FileResult SetFilePosition(FileRef file, uint32_t offset) override {
    return target_.SetFilePosition(file, offset);
  }
  FileResult GetFileSize(FileRef file, uint64_t* size) override {
    return target_.GetFileSize(file, size);
  }
  FileResult FlushFile(FileRef file) override { return target_.FlushFile(file); }
  FileResult CutFile(FileRef file, uint32_t size) override { return target_.CutFile(file, size); }
  void CloseFile(FileRef file) override { target_.CloseFile(file); }
  FileResult RemoveFile(const std::wstring& path) override { return target_.RemoveFile(path); }
  Renaming RenameFile(const std::wstring& from, const std::wstring& to) override {
    return target_.RenameFile(from, to);
  }
  Renaming PutFileInPlace(const std::wstring& from, const std::wstring& to) override {
    return target_.PutFileInPlace(from, to);
  }
  void* AllocateZeroed(size_t count, size_t size) override {
    return target_.AllocateZeroed(count, size);
  }
  void Release(void* block) override { target_.Release(block); }
  void* AllocatePages(size_t bytes) override { return target_.AllocatePages(bytes); }
  void ReleasePages(void* block) override { target_.ReleasePages(block); }

 private:
  Env& target_;
};

// The calls of the program, each to the one in use.
inline Opened OpenFile(const std::wstring& path, Access access, Disposition disposition) {
  return CurrentEnv().OpenFile(path, access, disposition);
}
inline FileResult ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) {
  return CurrentEnv().ReadFile(file, buffer, count, transferred);
}
inline FileResult WriteFile(FileRef file, const void* buffer, uint32_t count,
                            uint32_t* transferred) {
  return CurrentEnv().WriteFile(file, buffer, count, transferred);
}
inline FileResult SetFilePosition(FileRef file, uint32_t offset) {
  return CurrentEnv().SetFilePosition(file, offset);
}
inline FileResult GetFileSize(FileRef file, uint64_t* size) {
  return CurrentEnv().GetFileSize(file, size);
}
inline FileResult FlushFile(FileRef file) { return CurrentEnv().FlushFile(file); }
inline FileResult CutFile(FileRef file, uint32_t size) { return CurrentEnv().CutFile(file, size); }
inline void CloseFile(FileRef file) { CurrentEnv().CloseFile(file); }
inline FileResult RemoveFile(const std::wstring& path) { return CurrentEnv().RemoveFile(path); }
inline Renaming RenameFile(const std::wstring& from, const std::wstring& to) {
  return CurrentEnv().RenameFile(from, to);
}
inline Renaming PutFileInPlace(const std::wstring& from, const std::wstring& to) {
  return CurrentEnv().PutFileInPlace(from, to);
}
inline void* AllocateZeroed(size_t count, size_t size) {
  return CurrentEnv().AllocateZeroed(count, size);
}
inline void Release(void* block) { CurrentEnv().Release(block); }
inline void* AllocatePages(size_t bytes) { return CurrentEnv().AllocatePages(bytes); }
inline void ReleasePages(void* block) { CurrentEnv().ReleasePages(block); }

}  // namespace platform
