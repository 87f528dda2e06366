// A zip opened to be read with minizip, by its UTF-8 path (a wide one on
// Windows), for the sheets that are zips: workbooks and OpenDocument
// spreadsheets, and the look at a zip that tells which it is.
#pragma once

#include <minizip/unzip.h>

#include <string>

// The zip at `path`; nullptr when it cannot be opened or is no zip.
unzFile OpenZipToRead(const std::string& path);
// Whether the zip holds an entry of that name, in capitals or not.
bool ZipHolds(unzFile zip, const char* name);
// The first `most` bytes of entry `name` ("" when it is missing or cannot
// be read).
std::string ZipEntryStart(unzFile zip, const char* name, size_t most);
