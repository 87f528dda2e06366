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

bool ComplainOfCause(const std::wstring& path, platform::FileError why) {
  switch (why) {
    case platform::FileError::kBusy:
      Complain(kHeldByAnotherProgram);
      return true;
    case platform::FileError::kNotRegular:
      Complain(platform::ShownPath(path) + " is not a regular file");
      return true;
    case platform::FileError::kDiskFull:
      Complain(platform::ShownPath(path) + ": the disk or card is full");
      return true;
    case platform::FileError::kNoFolder:
      Complain(platform::ShownPath(path) + ": no such folder");
      return true;
    case platform::FileError::kDenied:
      Complain(platform::ShownPath(path) + ": permission denied");
      return true;
    case platform::FileError::kReadOnly:
      Complain(platform::ShownPath(path) + ": the disk or card is read-only");
      return true;
    default:
      return false;
  }
}

bool ComplainOfStatus(const FileStatus& status) {
  return !status.ok() && ComplainOfCause(status.path, status.error);
}
