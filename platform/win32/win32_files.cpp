// The Windows Env: the Windows file calls and the process heap. A handle is
// the platform's FileRef; INVALID_HANDLE_VALUE becomes nullptr. A handle
// with write access holds its file through the share mode (read sharing
// only); links and other reparse points are opened as themselves, never
// followed, and refused.
#include <windows.h>

#include "platform/env.h"

namespace platform {
namespace {

HANDLE Handle(FileRef file) { return reinterpret_cast<HANDLE>(file); }

// The cause that a Windows error code stands for.
FileError Cause(DWORD error) {
  switch (error) {
    case NO_ERROR:
      return FileError::kNone;
    case ERROR_FILE_NOT_FOUND:
      return FileError::kMissing;
    case ERROR_PATH_NOT_FOUND:
      return FileError::kNoFolder;
    case ERROR_ACCESS_DENIED:
      return FileError::kDenied;
    case ERROR_WRITE_PROTECT:
      return FileError::kReadOnly;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return FileError::kBusy;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return FileError::kDiskFull;
    default:
      return FileError::kOther;
  }
}

// Attributes of anything but a regular file: a folder, a device, or a
// symbolic link, junction or other reparse point.
bool NotRegular(DWORD attributes) {
  return (attributes &
          (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE)) != 0;
}

// A move that reports failure may still have taken place and failed only to
// reach the disk: then `from` is gone.
Renamed Moved(BOOL moved, const std::wstring& from, FileError* last) {
  if (moved) {
    *last = FileError::kNone;
    return Renamed::kOnMedium;
  }
  const DWORD error = ::GetLastError();
  *last = Cause(error);
  if (::GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES &&
      ::GetLastError() == ERROR_FILE_NOT_FOUND && error != ERROR_FILE_NOT_FOUND) {
    return Renamed::kNotOnMedium;
  }
  return Renamed::kNot;
}

class Win32Env : public Env {
 public:
  FileRef OpenFile(const std::wstring& path, Access access, Disposition disposition) override {
    const DWORD creation = disposition == Disposition::kOpenExisting ? OPEN_EXISTING
                           : disposition == Disposition::kCreateNew  ? CREATE_NEW
                                                                     : CREATE_ALWAYS;
    const DWORD rights = access == Access::kRead    ? GENERIC_READ
                         : access == Access::kWrite ? GENERIC_WRITE
                                                    : GENERIC_READ | GENERIC_WRITE;
    // What stands under the name is looked at before it is opened (or
    // emptied); the handle's own attributes cover a name changed meanwhile.
    const DWORD before = ::GetFileAttributesW(path.c_str());
    if (before != INVALID_FILE_ATTRIBUTES && NotRegular(before)) {
      last_ = FileError::kNotRegular;
      return nullptr;
    }
    HANDLE h = ::CreateFileW(path.c_str(), rights, FILE_SHARE_READ,
                             /*lpSecurityAttributes=*/nullptr, creation,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                             /*hTemplateFile=*/nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      last_ = Cause(::GetLastError());
      return nullptr;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        NotRegular(info.dwFileAttributes)) {
      ::CloseHandle(h);
      last_ = FileError::kNotRegular;
      return nullptr;
    }
    last_ = FileError::kNone;
    return reinterpret_cast<FileRef>(h);
  }

  bool ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) override {
    DWORD done = 0;
    const BOOL ok = ::ReadFile(Handle(file), buffer, count, &done, /*lpOverlapped=*/nullptr);
    *transferred = done;
    return Noted(ok != FALSE);
  }

  // A write that comes up short (Wine's, when the disk fills) goes on with
  // the rest, which then fails with the cause.
  bool WriteFile(FileRef file, const void* buffer, uint32_t count, uint32_t* transferred) override {
    const auto* bytes = static_cast<const uint8_t*>(buffer);
    uint32_t moved = 0;
    BOOL ok = TRUE;
    while (ok && moved < count) {
      DWORD done = 0;
      ok = ::WriteFile(Handle(file), bytes + moved, count - moved, &done, /*lpOverlapped=*/nullptr);
      moved += done;
      if (ok && done == 0) break;
    }
    *transferred = moved;
    return Noted(ok != FALSE);
  }

  bool SetFilePosition(FileRef file, uint32_t offset) override {
    return Noted(MovePosition(file, offset));
  }

  bool GetFileSize(FileRef file, uint64_t* size) override {
    DWORD high = 0;
    ::SetLastError(NO_ERROR);
    const DWORD low = ::GetFileSize(Handle(file), &high);
    if (!Noted(!(low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR))) return false;
    *size = uint64_t{high} << 32 | low;
    return true;
  }

  // FlushFileBuffers writes the file's metadata with its data: on FAT and
  // NTFS alike that includes the directory entry of a file just created.
  bool FlushFile(FileRef file) override { return Noted(::FlushFileBuffers(Handle(file)) != FALSE); }

  // The end of the file is where its position is set; the position then
  // stays there.
  bool CutFile(FileRef file, uint32_t size) override {
    return Noted(MovePosition(file, size) && ::SetEndOfFile(Handle(file)) != FALSE);
  }

  void CloseFile(FileRef file) override {
    if (file != nullptr) ::CloseHandle(Handle(file));
  }

  bool RemoveFile(const std::wstring& path) override {
    if (::DeleteFileW(path.c_str())) return Noted(true);
    const DWORD error = ::GetLastError();
    last_ = Cause(error);
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }

  // MOVEFILE_WRITE_THROUGH returns only once the move is on the disk.
  // Without MOVEFILE_REPLACE_EXISTING an existing `to` makes the move fail.
  // A `from` that is open without delete sharing (every handle of
  // OpenFile) is not moved.
  Renamed RenameFile(const std::wstring& from, const std::wstring& to) override {
    return Moved(::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH), from, &last_);
  }

  Renamed PutFileInPlace(const std::wstring& from, const std::wstring& to) override {
    return Moved(
        ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
        from, &last_);
  }

  FileError LastFileError() override { return last_; }

  void* AllocateZeroed(size_t count, size_t size) override {
    if (size != 0 && count > SIZE_MAX / size) return nullptr;
    return ::LocalAlloc(LPTR, count * size);
  }

  void Release(void* block) override {
    if (block != nullptr) ::LocalFree(block);
  }

  void* AllocatePages(size_t bytes) override {
    return ::VirtualAlloc(/*lpAddress=*/nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  }

  void ReleasePages(void* block) override {
    if (block != nullptr) ::VirtualFree(block, 0, MEM_RELEASE);
  }

 private:
  // Takes the outcome of a call: its cause from the last error when it
  // failed.
  bool Noted(bool done) {
    last_ = done ? FileError::kNone : Cause(::GetLastError());
    return done;
  }
  static bool MovePosition(FileRef file, uint32_t offset) {
    // The high part keeps offsets of 2 GiB and more from reading as negative.
    LONG high = 0;
    ::SetLastError(NO_ERROR);
    const DWORD low = ::SetFilePointer(Handle(file), static_cast<LONG>(offset), &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR);
  }

  FileError last_ = FileError::kNone;
};

}  // namespace

Env& DefaultEnv() {
  static Win32Env env;
  return env;
}

void Pause(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
