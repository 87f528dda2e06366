#include "office/sheets/zip_reader.h"

#include <cctype>
#include <filesystem>
#include <fstream>
#include <memory>
#include <system_error>

namespace {

constexpr unsigned kCheckChunk = 1u << 18;

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

bool IndexZip(unzFile zip, uint64_t most, ZipIndex* index, uint64_t* entries) {
  unz_global_info64 global;
  if (unzGetGlobalInfo64(zip, &global) != UNZ_OK) return false;
  *entries = global.number_entry;
  if (global.number_entry > most) return false;
  index->clear();
  char name[1024];
  for (int at = unzGoToFirstFile(zip); at == UNZ_OK; at = unzGoToNextFile(zip)) {
    unz_file_info64 info;
    unz64_file_pos position;
    if (unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
        unzGetFilePos64(zip, &position) != UNZ_OK) {
      return false;
    }
    std::string key = name;
    for (char& c : key) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    // The first of two entries of one name is the one a lookup finds.
    index->emplace(std::move(key), position);
  }
  return true;
}

ZipEntryReader::Outcome ZipEntryReader::Open(const unz64_file_pos& at, uint64_t most) {
  Close();
  unz64_file_pos position = at;
  unz_file_info64 info;
  if (unzGoToFilePos64(zip_, &position) != UNZ_OK ||
      unzGetCurrentFileInfo64(zip_, &info, nullptr, 0, nullptr, 0, nullptr, 0) != UNZ_OK) {
    return Outcome::kMissing;
  }
  if (info.uncompressed_size > most) return Outcome::kTooLarge;
  // minizip checks the local header against the central directory here.
  if (unzOpenCurrentFile(zip_) != UNZ_OK) return Outcome::kDamaged;
  open_ = true;
  stated_ = info.uncompressed_size;
  read_ = 0;
  return Outcome::kRead;
}

ZipEntryReader::Outcome ZipEntryReader::Read(char* buffer, unsigned size, unsigned* got) {
  *got = 0;
  if (!open_) return Outcome::kDamaged;
  const int n = unzReadCurrentFile(zip_, buffer, size);
  if (n > 0) {
    read_ += static_cast<uint64_t>(n);
    *got = static_cast<unsigned>(n);
    return Outcome::kRead;
  }
  // minizip never inflates past the stated size, and compares the CRC only
  // of an entry read to that size: one whose data ends before it is as
  // damaged as one whose checksum differs.
  open_ = false;
  const int closed = unzCloseCurrentFile(zip_);
  return n == 0 && read_ == stated_ && closed == UNZ_OK ? Outcome::kEnd : Outcome::kDamaged;
}

ZipEntryReader::Outcome ZipEntryReader::Check(const unz64_file_pos& at, uint64_t most) {
  Outcome outcome = Open(at, most);
  std::unique_ptr<char[]> buffer(new char[kCheckChunk]);
  unsigned got = 0;
  while (outcome == Outcome::kRead) outcome = Read(buffer.get(), kCheckChunk, &got);
  return outcome;
}

void ZipEntryReader::Close() {
  if (open_) unzCloseCurrentFile(zip_);
  open_ = false;
}

std::string WhyEntryUnread(ZipEntryReader::Outcome outcome, const std::string& name) {
  const std::string what = outcome == ZipEntryReader::Outcome::kTooLarge
                               ? " would inflate to more than any such part holds"
                               : " does not match its checksum";
  return "is damaged (" + name + what + "): export again or bring back an undamaged copy";
}

namespace {
constexpr size_t kInflatedChunk = size_t{1} << 18;
constexpr size_t kChunksAhead = 4;
}  // namespace

bool InflatedEntry::Start(ZipEntryReader* entry) {
  Stop();
  ready_.clear();
  ended_ = stop_ = damaged_ = false;
  outcome_ = ZipEntryReader::Outcome::kEnd;
  try {
    thread_ = std::thread([this, entry] { Inflate(entry); });
  } catch (const std::system_error&) {
    return false;
  }
  return true;
}

void InflatedEntry::Inflate(ZipEntryReader* entry) {
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
    unsigned got = 0;
    // Read to its end, the entry is closed, its size and CRC checked.
    const ZipEntryReader::Outcome read =
        entry->Read(chunk.data(), static_cast<unsigned>(chunk.size()), &got);
    chunk.resize(got);
    const bool more = read == ZipEntryReader::Outcome::kRead;
    std::lock_guard<std::mutex> lock(mutex_);
    if (got > 0) ready_.push_back(std::move(chunk));
    if (!more) {
      ended_ = true;
      damaged_ = read != ZipEntryReader::Outcome::kEnd;
      outcome_ = read;
    }
    changed_.notify_all();
    if (!more) return;
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
