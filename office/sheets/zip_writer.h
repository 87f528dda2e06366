// A zip written through the Env, as a workbook's package: small parts
// deflated whole, and one large part at a time streamed, its blocks
// deflated on a second thread while the caller makes the next ones. Every
// file call is the caller's own thread's, so that the Env in use (a test's
// fault or crash layer) sees them in one order. Entries are deflated at
// zlib's level 1: the sheet XML is so repetitive that a higher level
// shrinks it little more and costs three times the time.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "platform/platform.h"

// A block of bytes for a streamed part: filled by the caller, handed over
// whole, given back empty to be filled again, so that its memory is reused.
struct ZipBlock {
  std::unique_ptr<char[]> bytes;
  size_t capacity = 0;
  size_t size = 0;
  // Room for `more` bytes after `size`, the block grown if it has less.
  void Reserve(size_t more);
};

class ZipWriter {
 public:
  ZipWriter();
  ~ZipWriter();  // an unfinished zip is closed as it stands
  ZipWriter(const ZipWriter&) = delete;
  ZipWriter& operator=(const ZipWriter&) = delete;

  // Makes the zip in file `path`, emptying a file there. False when it
  // cannot be made; cause() says why.
  bool Open(const std::wstring& path);
  // A part whole.
  bool Add(const char* name, std::string_view content);
  // A part streamed: begun, fed a block at a time (each handed to the
  // deflating thread, and an empty one given back in its place), ended.
  // Only one streamed part at a time; no Add meanwhile.
  bool Begin(const char* name);
  bool Feed(ZipBlock* block);
  bool End();
  // Writes the zip's directory and pushes the whole file to the medium,
  // then closes it. False on failure; the file is closed either way.
  bool Finish();

  // Why the first call that failed did: the cause of its file step, or
  // kOther when a part could not be deflated or the zip grew too large.
  platform::FileError cause() const;
  // Whether a part or the zip grew past what a zip without its 64-bit
  // extension holds (4 GiB), which some spreadsheets cannot open.
  bool tooLarge() const;

  struct Parts;

 private:
  std::unique_ptr<Parts> parts_;
};
