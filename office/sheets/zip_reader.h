// A zip opened to be read with minizip, by its UTF-8 path (a wide one on
// Windows), for the sheets that are zips: workbooks and OpenDocument
// spreadsheets, and the look at a zip that tells which it is.
#pragma once

#include <minizip/unzip.h>

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

// The zip at `path`; nullptr when it cannot be opened or is no zip.
unzFile OpenZipToRead(const std::string& path);
// Whether the zip holds an entry of that name, in capitals or not.
bool ZipHolds(unzFile zip, const char* name);
// The first `most` bytes of entry `name` ("" when it is missing or cannot
// be read).
std::string ZipEntryStart(unzFile zip, const char* name, size_t most);

// Where each entry of a zip stands, by its name in small letters, found in one walk of the
// central directory: a reader that looks up many names never walks it
// again. False when the zip holds more than `most` entries (`*entries`
// says how many) or its directory cannot be walked.
using ZipIndex = std::map<std::string, unz64_file_pos>;
bool IndexZip(unzFile zip, uint64_t most, ZipIndex* index, uint64_t* entries);

// One entry of a zip read a chunk at a time, and only trusted whole: its
// inflated size must be the central directory's and its CRC-32 the one
// stored, and it may inflate to no more than a bound given for its kind.
class ZipEntryReader {
 public:
  enum class Outcome {
    kRead,      // `*got` bytes, and more to come
    kEnd,       // read to its end, its size and checksum as stored
    kMissing,   // no such entry
    kDamaged,   // its data does not match its checksum, or is cut short
    kTooLarge,  // it would inflate past the bound for its kind
  };
  explicit ZipEntryReader(unzFile zip) : zip_(zip) {}
  ~ZipEntryReader() { Close(); }
  ZipEntryReader(const ZipEntryReader&) = delete;
  ZipEntryReader& operator=(const ZipEntryReader&) = delete;

  // Opens the entry at `at` (from IndexZip), which may inflate to `most`
  // bytes at the most.
  Outcome Open(const unz64_file_pos& at, uint64_t most);
  // Reads the entry at `at` to its end and lets it go: kEnd when it is
  // whole, so that nothing of a damaged one is taken before that is known.
  Outcome Check(const unz64_file_pos& at, uint64_t most);
  // Up to `size` bytes of it into `buffer`.
  Outcome Read(char* buffer, unsigned size, unsigned* got);
  void Close();

 private:
  unzFile zip_;
  bool open_ = false;
  uint64_t stated_ = 0, read_ = 0;
};

// Why an entry named `name` was not read, as the end of "FILE ...": a
// damaged one, or one past its bound.
std::string WhyEntryUnread(ZipEntryReader::Outcome outcome, const std::string& name);

// An entry opened with a ZipEntryReader inflated on a thread of its own, a
// few chunks ahead of the one who reads it, so that its inflate and its
// parse share the processors. The zip is the thread's until the entry ends
// or the stream is let go; at its end its size and CRC are checked.
class InflatedEntry {
 public:
  ~InflatedEntry() { Stop(); }
  // Starts the inflate: false when no thread can be had.
  bool Start(ZipEntryReader* entry);
  // The next chunk, valid until the next call: false at the entry's end,
  // or when it is damaged (damaged()).
  bool Next(std::string_view* chunk);
  bool damaged() const { return damaged_; }
  // How the entry ended: kEnd when whole.
  ZipEntryReader::Outcome outcome() const { return outcome_; }
  // Ends the inflate, done or not; the entry is closed only if it was read
  // to its end.
  void Stop();

 private:
  void Inflate(ZipEntryReader* entry);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> ready_;
  std::vector<std::string> spare_;
  std::string taken_;
  bool ended_ = false, stop_ = false, damaged_ = false;
  ZipEntryReader::Outcome outcome_ = ZipEntryReader::Outcome::kEnd;
  std::thread thread_;
};
