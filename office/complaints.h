// The back office's own messages (a file that cannot be opened, a sheet
// refused), each a line of text for whoever shows them: the command line
// prints them on standard error, the window lists them. The words are
// chosen here, once; how they are shown is the listener's.
#pragma once

#include <string>

#include "platform/platform.h"
#include "store/file_status.h"

// Tells `text` to the listener in place; with none, it goes unsaid.
void Complain(const std::string& text);
class ComplaintListener {
 public:
  virtual ~ComplaintListener() = default;
  virtual void Complain(const std::string& text) = 0;
};
// `listener` hears every Complain from now on (nullptr: no one); returns
// the one it replaces.
ComplaintListener* SetComplaintListener(ComplaintListener* listener);
// What is said when another program holds film.dat, once the wait for it
// (HeldFileWait) is over.
constexpr char kHeldByAnotherProgram[] = "another program is changing film.dat; try again";
// The words for a file step that failed for a cause the program's messages
// do not name ("the disk or card is full", "permission denied", ...): ""
// for any other cause.
std::string CauseWords(platform::FileError why);
// The words for a file step on `path` that failed for a cause the
// program's messages do not name: another program holding the file, a
// link, folder, device or pipe under its name, a missing folder, no
// permission, a read-only or full disk or card. False, and nothing said,
// for any other cause.
bool ComplainOfCause(const std::wstring& path, platform::FileError why);
// The same for the file step that failed (none: false, nothing said).
bool ComplainOfStatus(const FileStatus& status);
