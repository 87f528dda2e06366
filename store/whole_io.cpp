#include "store/whole_io.h"

#include "platform/scoped_file.h"

namespace {

// A call that moved `moved` of `size` bytes.
WholeResult Whole(platform::FileResult result, uint32_t moved, uint32_t size) {
  return WholeResult{result.ok() && moved == size, result.error()};
}

WholeResult NotPositioned(platform::FileResult result) {
  return WholeResult{false, result.error()};
}

}  // namespace

WholeResult ReadWhole(platform::FileRef file, void* bytes, uint32_t size) {
  uint32_t got = 0;
  const platform::FileResult read = platform::ReadFile(file, bytes, size, &got);
  return Whole(read, got, size);
}

WholeResult ReadWholeAt(platform::FileRef file, uint32_t offset, void* bytes, uint32_t size) {
  const platform::FileResult moved = platform::SetFilePosition(file, offset);
  return moved ? ReadWhole(file, bytes, size) : NotPositioned(moved);
}

WholeResult WriteWhole(platform::FileRef file, const void* bytes, uint32_t size) {
  uint32_t put = 0;
  const platform::FileResult written = platform::WriteFile(file, bytes, size, &put);
  return Whole(written, put, size);
}

WholeResult WriteWholeAt(platform::FileRef file, uint32_t offset, const void* bytes,
                         uint32_t size) {
  const platform::FileResult moved = platform::SetFilePosition(file, offset);
  return moved ? WriteWhole(file, bytes, size) : NotPositioned(moved);
}

platform::Renamed PutNewFile(const std::wstring& temp, const std::wstring& path,
                             const uint8_t* bytes, uint32_t size, bool replace,
                             FileStatus* status) {
  platform::ScopedFile file(
      platform::OpenFile(temp, platform::Access::kWrite, platform::Disposition::kCreateAlways));
  if (!file) {
    *status = Failed(FileStep::kOpen, temp, file.error());
  } else if (const WholeResult written = WriteWhole(file.get(), bytes, size); !written) {
    *status = Failed(FileStep::kWrite, temp, written.error);
  } else if (const platform::FileResult flushed = platform::FlushFile(file.get()); !flushed) {
    *status = Failed(FileStep::kFlush, temp, flushed.error());
  } else {
    file.Close();
    const platform::Renaming renaming =
        replace ? platform::PutFileInPlace(temp, path) : platform::RenameFile(temp, path);
    *status = renaming.renamed == platform::Renamed::kOnMedium
                  ? FileStatus{}
                  : Failed(FileStep::kRename, path, renaming.error);
    if (renaming.renamed != platform::Renamed::kNot) return renaming.renamed;
  }
  file.Close();
  (void)platform::RemoveFile(temp);
  return platform::Renamed::kNot;
}
