// The free file and memory functions, each passed to the Env in use.
#include "platform/env.h"

namespace platform {
namespace {
Env* installed = nullptr;
}  // namespace

Env& CurrentEnv() { return installed != nullptr ? *installed : DefaultEnv(); }
void SetEnv(Env* env) { installed = env; }

FileRef OpenFile(const std::wstring& path, Access access, Disposition disposition) {
  return CurrentEnv().OpenFile(path, access, disposition);
}
bool ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred) {
  return CurrentEnv().ReadFile(file, buffer, count, transferred);
}
bool WriteFile(FileRef file, const void* buffer, uint32_t count, uint32_t* transferred) {
  return CurrentEnv().WriteFile(file, buffer, count, transferred);
}
bool SetFilePosition(FileRef file, uint32_t offset) {
  return CurrentEnv().SetFilePosition(file, offset);
}
bool GetFileSize(FileRef file, uint64_t* size) { return CurrentEnv().GetFileSize(file, size); }
bool FlushFile(FileRef file) { return CurrentEnv().FlushFile(file); }
bool CutFile(FileRef file, uint32_t size) { return CurrentEnv().CutFile(file, size); }
void CloseFile(FileRef file) { CurrentEnv().CloseFile(file); }
bool RemoveFile(const std::wstring& path) { return CurrentEnv().RemoveFile(path); }
Renamed RenameFile(const std::wstring& from, const std::wstring& to) {
  return CurrentEnv().RenameFile(from, to);
}
Renamed PutFileInPlace(const std::wstring& from, const std::wstring& to) {
  return CurrentEnv().PutFileInPlace(from, to);
}
FileError LastFileError() { return CurrentEnv().LastFileError(); }
void* AllocateZeroed(size_t count, size_t size) { return CurrentEnv().AllocateZeroed(count, size); }
void Release(void* block) { CurrentEnv().Release(block); }
void* AllocatePages(size_t bytes) { return CurrentEnv().AllocatePages(bytes); }
void ReleasePages(void* block) { CurrentEnv().ReleasePages(block); }

}  // namespace platform
