#include "office/complaints.h"

#include <string>

#include "platform/console.h"

namespace {
ComplaintListener* listener = nullptr;
}  // namespace

ComplaintListener* SetComplaintListener(ComplaintListener* l) {
  ComplaintListener* const before = listener;
  listener = l;
  return before;
}

void Complain(const std::string& text) {
  if (listener != nullptr) listener->Complain(text);
}

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

bool ComplainOfCause(const std::wstring& path, platform::FileError why) {
  if (why == platform::FileError::kBusy) {
    Complain(kHeldByAnotherProgram);
  } else if (why == platform::FileError::kNotRegular) {
    Complain(platform::ShownPath(path) + " is not a regular file");
  } else if (const std::string words = CauseWords(why); !words.empty()) {
    Complain(platform::ShownPath(path) + ": " + words);
  } else {
    return false;
  }
  return true;
}

bool ComplainOfStatus(const FileStatus& status) {
  return !status.ok() && ComplainOfCause(status.path, status.error);
}
