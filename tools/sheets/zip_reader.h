// A zip opened to be read with minizip, by its UTF-8 path (a wide one on
// Windows), for the sheets that are zips: workbooks and OpenDocument
// spreadsheets, and the look at a zip that tells which it is.
#pragma once

#include <minizip/unzip.h>

#include <condition_variable>
#include <deque>
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

// The zip's current entry (opened with unzOpenCurrentFile) inflated on a
// thread of its own, a few chunks ahead of the one who reads it, so that
// its inflate and its parse share the processors. The zip is the thread's
// until the entry ends or the stream is let go; the entry is closed at its
// end, its CRC checked.
class InflatedEntry {
 public:
  ~InflatedEntry() { Stop(); }
  // Starts the inflate: false when no thread can be had.
  bool Start(unzFile zip);
  // The next chunk, valid until the next call: false at the entry's end,
  // or when it is damaged (damaged()).
  bool Next(std::string_view* chunk);
  bool damaged() const { return damaged_; }
  // Ends the inflate, done or not; the entry is closed only if it was read
  // to its end.
  void Stop();

 private:
  void Inflate(unzFile zip);

  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<std::string> ready_;
  std::vector<std::string> spare_;
  std::string taken_;
  bool ended_ = false, stop_ = false, damaged_ = false;
  std::thread thread_;
};
