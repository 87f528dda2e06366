// What both fuzz targets check after each input: no file handle left open.
#pragma once

#include <dirent.h>

// The process's open file descriptors (and the one that lists them).
inline int OpenDescriptors() {
  int count = 0;
  if (DIR* dir = ::opendir("/proc/self/fd")) {
    while (::readdir(dir) != nullptr) ++count;
    ::closedir(dir);
  }
  return count;
}
