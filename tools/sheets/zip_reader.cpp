#include "tools/sheets/zip_reader.h"

#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

namespace {

// The zip is read through a std::filebuf, which opens a UTF-8 path on every
// system (a wide one on Windows) and seeks with 64-bit offsets.
voidpf OpenZip(voidpf, const void* path, int) {
  auto file = std::make_unique<std::filebuf>();
  if (!file->open(std::filesystem::u8path(static_cast<const char*>(path)),
                  std::ios::in | std::ios::binary)) {
    return nullptr;
  }
  return file.release();
}
uLong ReadZip(voidpf, voidpf stream, void* buffer, uLong size) {
  const std::streamsize got = static_cast<std::filebuf*>(stream)->sgetn(
      static_cast<char*>(buffer), static_cast<std::streamsize>(size));
  return got < 0 ? 0 : static_cast<uLong>(got);
}
uLong WriteZip(voidpf, voidpf, const void*, uLong) { return 0; }
ZPOS64_T TellZip(voidpf, voidpf stream) {
  const std::streamoff at = static_cast<std::filebuf*>(stream)->pubseekoff(0, std::ios::cur);
  return at < 0 ? static_cast<ZPOS64_T>(-1) : static_cast<ZPOS64_T>(at);
}
long SeekZip(voidpf, voidpf stream, ZPOS64_T offset, int origin) {
  const std::ios::seekdir from = origin == ZLIB_FILEFUNC_SEEK_SET   ? std::ios::beg
                                 : origin == ZLIB_FILEFUNC_SEEK_CUR ? std::ios::cur
                                                                    : std::ios::end;
  const std::streamoff at = static_cast<std::filebuf*>(stream)->pubseekoff(
      static_cast<std::streamoff>(offset), from, std::ios::in);
  return at < 0 ? -1 : 0;
}
int CloseZip(voidpf, voidpf stream) {
  delete static_cast<std::filebuf*>(stream);
  return 0;
}
int ZipError(voidpf, voidpf) { return 0; }

}  // namespace

unzFile OpenZipToRead(const std::string& path) {
  zlib_filefunc64_def files{OpenZip, ReadZip,  WriteZip, TellZip,
                            SeekZip, CloseZip, ZipError, nullptr};
  return unzOpen2_64(path.c_str(), &files);
}

bool ZipHolds(unzFile zip, const char* name) {
  return unzLocateFile(zip, name, /*iCaseSensitivity=*/2) == UNZ_OK;
}

std::string ZipEntryStart(unzFile zip, const char* name, size_t most) {
  if (!ZipHolds(zip, name) || unzOpenCurrentFile(zip) != UNZ_OK) return "";
  std::string start(most, '\0');
  const int got = unzReadCurrentFile(zip, start.data(), static_cast<unsigned>(most));
  unzCloseCurrentFile(zip);
  start.resize(got < 0 ? 0 : static_cast<size_t>(got));
  return start;
}

namespace {
constexpr size_t kInflatedChunk = size_t{1} << 18;
constexpr size_t kChunksAhead = 4;
}  // namespace

bool InflatedEntry::Start(unzFile zip) {
  Stop();
  ready_.clear();
  ended_ = stop_ = damaged_ = false;
  try {
    thread_ = std::thread([this, zip] { Inflate(zip); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void InflatedEntry::Inflate(unzFile zip) {
  for (;;) {
    std::string chunk;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      changed_.wait(lock, [&] { return stop_ || ready_.size() < kChunksAhead; });
      if (stop_) return;
      if (!spare_.empty()) {
        chunk = std::move(spare_.back());
        spare_.pop_back();
      }
    }
    chunk.resize(kInflatedChunk);
    const int got = unzReadCurrentFile(zip, chunk.data(), static_cast<unsigned>(chunk.size()));
    // Read to its end, the entry is closed, which checks its CRC.
    const bool damaged = got < 0 || (got == 0 && unzCloseCurrentFile(zip) != UNZ_OK);
    chunk.resize(got > 0 ? static_cast<size_t>(got) : 0);
    std::lock_guard<std::mutex> lock(mutex_);
    if (got > 0) ready_.push_back(std::move(chunk));
    if (got <= 0) {
      ended_ = true;
      damaged_ = damaged;
    }
    changed_.notify_all();
    if (got <= 0) return;
  }
}

bool InflatedEntry::Next(std::string_view* chunk) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (!taken_.empty() || taken_.capacity() > 0) spare_.push_back(std::move(taken_));
  taken_ = std::string();
  changed_.wait(lock, [&] { return !ready_.empty() || ended_; });
  if (ready_.empty()) return false;
  taken_ = std::move(ready_.front());
  ready_.pop_front();
  changed_.notify_all();
  *chunk = taken_;
  return true;
}

void InflatedEntry::Stop() {
  if (!thread_.joinable()) return;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stop_ = true;
  }
  changed_.notify_all();
  thread_.join();
}
