#include "office/listener.h"

#include <string>

#include "platform/console.h"

std::string CauseWords(platform::FileError why) {
  switch (why) {
    case platform::FileError::kBusy:
      return "another program holds it";
    case platform::FileError::kNotRegular:
      return "not a regular file";
    case platform::FileError::kDiskFull:
      return "the disk or card is full";
    case platform::FileError::kNoFolder:
      return "no such folder";
    case platform::FileError::kDenied:
      return "permission denied";
    case platform::FileError::kReadOnly:
      return "the disk or card is read-only";
    case platform::FileError::kMissing:
    case platform::FileError::kOther:
    case platform::FileError::kNone:
      break;
  }
  return "";
}

bool TellCause(Listener& told, const std::wstring& path, platform::FileError why) {
  if (why == platform::FileError::kBusy) {
    told.Tell(kHeldByAnotherProgram);
  } else if (why == platform::FileError::kNotRegular) {
    told.Tell(platform::ShownPath(path) + " is not a regular file");
  } else if (const std::string words = CauseWords(why); !words.empty()) {
    told.Tell(platform::ShownPath(path) + ": " + words);
  } else {
    return false;
  }
  return true;
}

bool TellStatus(Listener& told, const FileStatus& status) {
  return !status.ok() && TellCause(told, status.path, status.error);
}
