#include "store/whole_io.h"

#include "platform/scoped_file.h"

bool ReadWhole(platform::FileRef file, void* bytes, uint32_t size) {
  uint32_t got = 0;
  return platform::ReadFile(file, bytes, size, &got) && got == size;
}

bool ReadWholeAt(platform::FileRef file, uint32_t offset, void* bytes, uint32_t size) {
  return platform::SetFilePosition(file, offset) && ReadWhole(file, bytes, size);
}

bool WriteWhole(platform::FileRef file, const void* bytes, uint32_t size) {
  uint32_t put = 0;
  return platform::WriteFile(file, bytes, size, &put) && put == size;
}

bool WriteWholeAt(platform::FileRef file, uint32_t offset, const void* bytes, uint32_t size) {
  return platform::SetFilePosition(file, offset) && WriteWhole(file, bytes, size);
}

platform::Renamed PutNewFile(const std::wstring& temp, const std::wstring& path,
                             const uint8_t* bytes, uint32_t size, bool replace,
                             FileStatus* status) {
  platform::ScopedFile file(
      platform::OpenFile(temp, platform::Access::kWrite, platform::Disposition::kCreateAlways));
  if (!file) {
    *status = Failed(FileStep::kOpen, temp);
  } else if (!WriteWhole(file.get(), bytes, size)) {
    *status = Failed(FileStep::kWrite, temp);
  } else if (!platform::FlushFile(file.get())) {
    *status = Failed(FileStep::kFlush, temp);
  } else {
    file.Close();
    const platform::Renamed renamed =
        replace ? platform::PutFileInPlace(temp, path) : platform::RenameFile(temp, path);
    *status =
        renamed == platform::Renamed::kOnMedium ? FileStatus{} : Failed(FileStep::kRename, path);
    if (renamed != platform::Renamed::kNot) return renamed;
  }
  file.Close();
  platform::RemoveFile(temp);
  return platform::Renamed::kNot;
}
