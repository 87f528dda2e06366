// The Windows Env: the Windows file calls and the process heap. A handle is
// the platform's FileRef; INVALID_HANDLE_VALUE becomes nullptr.
#include <windows.h>

#include "platform/env.h"

namespace platform {
namespace {

HANDLE Handle(FileRef file) { return reinterpret_cast<HANDLE>(file); }

// A move that reports failure may still have taken place and failed only to
// reach the disk: then `from` is gone.
Renamed Moved(BOOL moved, const std::wstring& from) {
  if (moved) return Renamed::kOnMedium;
  const DWORD error = ::GetLastError();
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
    HANDLE h =
        ::CreateFileW(path.c_str(), rights, FILE_SHARE_READ, /*lpSecurityAttributes=*/nullptr,
                      creation, FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<FileRef>(h);
  }

  bool ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) override {
    DWORD done = 0;
    const BOOL ok = ::ReadFile(Handle(file), buffer, count, &done, /*lpOverlapped=*/nullptr);
    *transferred = done;
    return ok != FALSE;
  }

  bool WriteFile(FileRef file, const void* buffer, uint32_t count, uint32_t* transferred) override {
    DWORD done = 0;
    const BOOL ok = ::WriteFile(Handle(file), buffer, count, &done, /*lpOverlapped=*/nullptr);
    *transferred = done;
    return ok != FALSE;
  }

  bool SetFilePosition(FileRef file, uint32_t offset) override {
    // The high part keeps offsets of 2 GiB and more from reading as negative.
    LONG high = 0;
    ::SetLastError(NO_ERROR);
    const DWORD low = ::SetFilePointer(Handle(file), static_cast<LONG>(offset), &high, FILE_BEGIN);
    return !(low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR);
  }

  bool GetFileSize(FileRef file, uint64_t* size) override {
    DWORD high = 0;
    ::SetLastError(NO_ERROR);
    const DWORD low = ::GetFileSize(Handle(file), &high);
    if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return false;
    *size = uint64_t{high} << 32 | low;
    return true;
  }

  // FlushFileBuffers writes the file's metadata with its data: on FAT and
  // NTFS alike that includes the directory entry of a file just created.
  bool FlushFile(FileRef file) override { return ::FlushFileBuffers(Handle(file)) != FALSE; }

  void CloseFile(FileRef file) override {
    if (file != nullptr) ::CloseHandle(Handle(file));
  }

  bool RemoveFile(const std::wstring& path) override {
    if (::DeleteFileW(path.c_str())) return true;
    const DWORD error = ::GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }

  // MOVEFILE_WRITE_THROUGH returns only once the move is on the disk.
  // Without MOVEFILE_REPLACE_EXISTING an existing `to` makes the move fail.
  Renamed RenameFile(const std::wstring& from, const std::wstring& to) override {
    return Moved(::MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_WRITE_THROUGH), from);
  }

  Renamed PutFileInPlace(const std::wstring& from, const std::wstring& to) override {
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
};

}  // namespace

Env& DefaultEnv() {
  static Win32Env env;
  return env;
}

}  // namespace platform
