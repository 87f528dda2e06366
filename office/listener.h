// What the back office tells the user (a file that cannot be opened, a
// sheet refused), and the listener that hears it: each step is given one,
// and nothing here is process-wide. The back office's words for a file's
// cause are chosen here, once; how they are shown is the listener's.
#pragma once

#include <string>

#include "messages/messages.h"
#include "platform/platform.h"
#include "store/file_status.h"

// Whoever hears what a back-office step has to tell the user: the command
// line prints it on standard error, the window lists it. A line is in the
// back office's words; a message is one of the program's own (what an
// opening of film.dat found), which the command line shows as the program
// does and the window lists by its text.
class Listener {
 public:
  virtual ~Listener() = default;
  virtual void Tell(const std::string& line) = 0;
  virtual void Tell(Message message) = 0;
};
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
bool TellCause(Listener& told, const std::wstring& path, platform::FileError why);
// The same for the file step that failed (none: false, nothing said).
bool TellStatus(Listener& told, const FileStatus& status);
