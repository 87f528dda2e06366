// Files through the Windows file calls. A handle is the platform's FileRef;
// INVALID_HANDLE_VALUE becomes nullptr.
#include <windows.h>

#include "platform/platform.h"

namespace platform {
namespace {

HANDLE Handle(FileRef file) { return reinterpret_cast<HANDLE>(file); }

}  // namespace

FileRef OpenFile(const std::wstring& path, Access access, Disposition disposition) {
  const DWORD creation = disposition == Disposition::kOpenExisting ? OPEN_EXISTING
                         : disposition == Disposition::kCreateNew  ? CREATE_NEW
                                                                   : CREATE_ALWAYS;
  HANDLE h = ::CreateFileW(path.c_str(), access == Access::kRead ? GENERIC_READ : GENERIC_WRITE,
                           FILE_SHARE_READ, /*lpSecurityAttributes=*/nullptr, creation,
                           FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr);
  return h == INVALID_HANDLE_VALUE ? nullptr : reinterpret_cast<FileRef>(h);
}

bool ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) {
  DWORD done = 0;
  const BOOL ok = ::ReadFile(Handle(file), buffer, count, &done, /*lpOverlapped=*/nullptr);
  *transferred = done;
  return ok != FALSE;
}

bool WriteFile(FileRef file, const void* buffer, uint32_t count, uint32_t* transferred) {
  DWORD done = 0;
  const BOOL ok = ::WriteFile(Handle(file), buffer, count, &done, /*lpOverlapped=*/nullptr);
  *transferred = done;
  return ok != FALSE;
}

bool SetFilePosition(FileRef file, uint32_t offset) {
  // The high part keeps offsets of 2 GiB and more from reading as negative.
  LONG high = 0;
  ::SetLastError(NO_ERROR);
  const DWORD low = ::SetFilePointer(Handle(file), static_cast<LONG>(offset), &high, FILE_BEGIN);
  return !(low == INVALID_SET_FILE_POINTER && ::GetLastError() != NO_ERROR);
}

bool GetFileSize(FileRef file, uint64_t* size) {
  DWORD high = 0;
  ::SetLastError(NO_ERROR);
  const DWORD low = ::GetFileSize(Handle(file), &high);
  if (low == INVALID_FILE_SIZE && ::GetLastError() != NO_ERROR) return false;
  *size = uint64_t{high} << 32 | low;
  return true;
}

bool FlushFile(FileRef file) { return ::FlushFileBuffers(Handle(file)) != FALSE; }

void CloseFile(FileRef file) {
  if (file != nullptr) ::CloseHandle(Handle(file));
}

void* AllocateZeroed(size_t count, size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  return ::LocalAlloc(LPTR, count * size);
}

void Release(void* block) {
  if (block != nullptr) ::LocalFree(block);
}

}  // namespace platform
