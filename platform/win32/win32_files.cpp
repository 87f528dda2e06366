// The Windows Env: the Windows file calls and the process heap. Links and
// other reparse points are opened as themselves, never followed, and
// refused.
//
// A handle with write access holds its file in two ways at once. The share
// mode (read sharing only) keeps out every other Windows handle that would
// write, but nothing outside Windows sees it: under Wine it lives in the
// wineserver alone. So the handle also takes an exclusive byte-range lock
// over the whole file (LockFileEx from offset 0 over 2^64 - 1 bytes), which
// Wine's server turns into a POSIX write lock over the whole Unix file
// (fcntl F_SETLK, l_len 0) and which a share's server enforces: a Linux
// program's fcntl lock, open-file-description or classic, and this one
// refuse each other. Wine's server takes that POSIX lock on its own
// descriptor, so it lasts until the handle is closed, whatever the process
// does meanwhile.
#include <windows.h>

#include "platform/env.h"

namespace platform {

struct File {
  HANDLE handle;
  bool locked;  // holds the whole-file lock, to be released before the handle closes
};

namespace {

HANDLE Handle(FileRef file) { return file->handle; }

// LockFileEx's range: from offset 0 over the largest count, so that the lock
// covers every byte the file has or may ever have.
constexpr DWORD kWholeFileLow = MAXDWORD;
constexpr DWORD kWholeFileHigh = MAXDWORD;

// The cause that a Windows error code stands for, of a call that failed:
// never kNone, so that a failure that left no code still fails.
FileError Cause(DWORD error) {
  switch (error) {
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

// Takes the exclusive lock over the whole file for an open handle that
// writes. kBusy while another program holds a lock on any of it (under
// Wine, also a Linux program's fcntl lock); a file system that keeps no
// byte-range locks is written as before, held by the share mode alone, and
// `*locked` says which.
FileError Hold(HANDLE h, bool* locked) {
  OVERLAPPED from = {};  // offset 0
  *locked = ::LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                         /*dwReserved=*/0, kWholeFileLow, kWholeFileHigh, &from) != FALSE;
  if (*locked) return FileError::kNone;
  const DWORD error = ::GetLastError();
  return error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION ? FileError::kBusy
                                                                           : FileError::kNone;
}

// True while another program holds a lock on the file at `path`, as a
// writer's hold is: the share mode already refuses a Windows writer's file
// to a removal or a move, this tells a Linux program's hold under Wine
// too. A shared lock is tried through a handle that shares everything, so
// that readers are not held off meanwhile.
bool HeldByAnother(const std::wstring& path) {
  const HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 /*lpSecurityAttributes=*/nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                                 /*hTemplateFile=*/nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;  // the removal or move tells why
  OVERLAPPED from = {};
  bool held = false;
  if (::LockFileEx(h, LOCKFILE_FAIL_IMMEDIATELY, /*dwReserved=*/0, kWholeFileLow, kWholeFileHigh,
                   &from)) {
    ::UnlockFileEx(h, /*dwReserved=*/0, kWholeFileLow, kWholeFileHigh, &from);
  } else {
    held = ::GetLastError() == ERROR_LOCK_VIOLATION;
  }
  ::CloseHandle(h);
  return held;
}

// A move that reports failure may still have taken place and failed only to
// reach the disk: then `from` is gone.
Renaming Moved(BOOL moved, const std::wstring& from) {
  if (moved) return Renaming{Renamed::kOnMedium};
  const DWORD error = ::GetLastError();
  if (::GetFileAttributesW(from.c_str()) == INVALID_FILE_ATTRIBUTES &&
      ::GetLastError() == ERROR_FILE_NOT_FOUND && error != ERROR_FILE_NOT_FOUND) {
    return Renaming{Renamed::kNotOnMedium, Cause(error)};
  }
  return Renaming{Renamed::kNot, Cause(error)};
}

class Win32Env : public Env {
 public:
  Opened OpenFile(const std::wstring& path, Access access, Disposition disposition) override {
    // An existing file is emptied below, once held: a file another program
    // holds keeps its bytes.
    const DWORD creation = disposition == Disposition::kOpenExisting ? OPEN_EXISTING
                           : disposition == Disposition::kCreateNew  ? CREATE_NEW
                                                                     : OPEN_ALWAYS;
    const DWORD rights = access == Access::kRead    ? GENERIC_READ
                         : access == Access::kWrite ? GENERIC_WRITE
                                                    : GENERIC_READ | GENERIC_WRITE;
    // What stands under the name is looked at before it is opened (or
    // emptied); the handle's own attributes cover a name changed meanwhile.
    const DWORD before = ::GetFileAttributesW(path.c_str());
    if (before != INVALID_FILE_ATTRIBUTES && NotRegular(before)) {
      return Opened{nullptr, FileError::kNotRegular};
    }
    HANDLE h = ::CreateFileW(path.c_str(), rights, FILE_SHARE_READ,
                             /*lpSecurityAttributes=*/nullptr, creation,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT,
                             /*hTemplateFile=*/nullptr);
    if (h == INVALID_HANDLE_VALUE) return Opened{nullptr, Cause(::GetLastError())};
    BY_HANDLE_FILE_INFORMATION info;
    if (::GetFileType(h) != FILE_TYPE_DISK || !::GetFileInformationByHandle(h, &info) ||
        NotRegular(info.dwFileAttributes)) {
      ::CloseHandle(h);
      return Opened{nullptr, FileError::kNotRegular};
    }
    bool locked = false;
    if (access != Access::kRead) {
      FileError why = Hold(h, &locked);
      if (why == FileError::kNone && disposition == Disposition::kCreateAlways &&
          !::SetEndOfFile(h)) {  // the position of a new handle is 0
        why = Cause(::GetLastError());
      }
      if (why != FileError::kNone) {
        Close(File{h, locked});
        return Opened{nullptr, why};
      }
    }
    return Opened{new File{h, locked}};
  }

  FileResult ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) override {
    DWORD done = 0;
    const BOOL ok = ::ReadFile(Handle(file), buffer, count, &done, /*lpOverlapped=*/nullptr);
    *transferred = done;
    return Noted(ok != FALSE);
  }

  // A write that comes up short (Wine's, when the disk fills) goes on with
  // the rest, which then fails with the cause.
  FileResult WriteFile(FileRef file, const void* buffer, uint32_t count,
                       uint32_t* transferred) override {
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

  FileResult SetFilePosition(FileRef file, uint32_t offset) override {
    return Noted(MovePosition(file, offset));
  }

  FileResult GetFileSize(FileRef file, uint64_t* size) override {
    DWORD high = 0;
    ::SetLastError(NO_ERROR);
    const DWORD low = ::GetFileSize(Handle(file), &high);
    if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return Cause(::GetLastError());
    *size = uint64_t{high} << 32 | low;
    return {};
  }

  // FlushFileBuffers writes the file's metadata with its data: on FAT and
  // NTFS alike that includes the file's directory entry, whichever handle
  // made it (NTFS forces its log, which holds the entry's making; FAT writes
  // the entry itself). Under Wine it is an fsync of the Unix file, which
  // leaves a new name to the Unix file system.
  FileResult FlushFile(FileRef file) override {
    return Noted(::FlushFileBuffers(Handle(file)) != FALSE);
  }

  // The end of the file is where its position is set; the position then
  // stays there.
  FileResult CutFile(FileRef file, uint32_t size) override {
    return Noted(MovePosition(file, size) && ::SetEndOfFile(Handle(file)) != FALSE);
  }

  void CloseFile(FileRef file) override {
    if (file == nullptr) return;
    Close(*file);
    delete file;
  }

  FileResult RemoveFile(const std::wstring& path) override {
    if (HeldByAnother(path)) return FileError::kBusy;
    if (::DeleteFileW(path.c_str())) return {};
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return {};
    return Cause(error);
  }

  // MOVEFILE_WRITE_THROUGH returns only once the move is on the disk.
  // Without MOVEFILE_REPLACE_EXISTING an existing `to` makes the move fail.
  // A `from` that is open without delete sharing (every handle of
  // OpenFile) is not moved.
  Renaming RenameFile(const std::wstring& from, const std::wstring& to) override {
    if (HeldByAnother(from)) return Renaming{Renamed::kNot, FileError::kBusy};
    return Moved(::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH), from);
  }

  Renaming PutFileInPlace(const std::wstring& from, const std::wstring& to) override {
    if (HeldByAnother(from)) return Renaming{Renamed::kNot, FileError::kBusy};
    return Moved(
        ::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH),
        from);
  }

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
  // The outcome of a call: its cause from the thread's last error when it
  // failed.
  static FileResult Noted(bool done) { return done ? FileError::kNone : Cause(::GetLastError()); }
  // Windows releases the locks of a closed handle only when it gets round
  // to it: they go first, so that the next writer finds the file free.
  static void Close(const File& file) {
    if (file.locked) {
      OVERLAPPED from = {};
      ::UnlockFileEx(file.handle, /*dwReserved=*/0, kWholeFileLow, kWholeFileHigh, &from);
    }
    ::CloseHandle(file.handle);
  }
  static bool MovePosition(FileRef file, uint32_t offset) {
    // The high part keeps offsets of 2 GiB and more from reading as negative.
    LONG high = 0;
    ::SetLastError(NO_ERROR);
    const DWORD low = ::SetFilePointer(Handle(file), static_cast<LONG>(offset), &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR);
  }
};

}  // namespace

Env& DefaultEnv() {
  static Win32Env env;
  return env;
}

void Pause(uint32_t milliseconds) { ::Sleep(milliseconds); }

}  // namespace platform
