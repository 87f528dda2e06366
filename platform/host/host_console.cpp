// A command-line tool over the host back end: arguments are UTF-8 already,
// the folders are the host's own, and standard streams are made safe to
// write to.
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include "platform/console.h"
#include "platform/host/host_control.h"

namespace platform {

std::vector<std::string> StartConsole(int argc, char** argv) {
  // A standard stream the tool was started without keeps its number taken by
  // a descriptor that fails as a closed one does: otherwise the next file
  // opened (film.dat) would take it, and what is printed would go into it.
  for (int fd : {0, 1, 2}) {
    if (::fcntl(fd, F_GETFD) >= 0 || errno != EBADF) continue;
    const int stand_in = ::open("/dev/null", fd == 0 ? O_WRONLY : O_RDONLY);
    if (stand_in >= 0 && stand_in != fd) {
      ::dup2(stand_in, fd);
      ::close(stand_in);
    }
  }
  // A reader of standard output that stops makes a write fail with EPIPE,
  // told as such, rather than end the tool unannounced.
  ::signal(SIGPIPE, SIG_IGN);
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseFolder(const std::string& folder) { host::SetWorkingFolder(folder); }

void UseCardFolder(const std::string& folder) {
  host::SetStorageCard(folder.empty() ? host::CardState::kAbsent : host::CardState::kPresent,
                       host::Widen(folder));
}

std::string ShownPath(const std::wstring& path) { return host::HostPath(path); }

}  // namespace platform
