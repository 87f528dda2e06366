#include "filmtool/output.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "filmtool/tool.h"
#include "office/listener.h"
#include "office/open_inventory.h"

namespace {

bool failed = false;

// Tells why standard output failed, the first time, from the `error` the
// failing write left.
void TellFailure(int error) {
  if (failed) return;
  failed = true;
  const std::string cut = ": what was printed before is cut short";
  switch (error) {
    case ENOSPC:
      Tell("standard output cannot be written: the disk or card is full" + cut);
      break;
    case EPIPE:
      Tell("standard output cannot be written: the program reading it has stopped" + cut);
      break;
    case EBADF:
      Tell("standard output is closed: give the tool a file or program to print to");
      break;
    default:
      Tell(std::string("standard output cannot be written: ") +
           (error == 0 ? "a write failed" : std::strerror(error)) + cut);
      break;
  }
}

}  // namespace

bool PrintOut(std::string_view text) {
  if (failed) return false;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size()) return true;
  TellFailure(errno);
  return false;
}

bool FinishOutput() {
  errno = 0;
  const bool flushed = std::fflush(stdout) == 0;
  if (flushed && !std::ferror(stdout)) return !failed;
  TellFailure(flushed ? 0 : errno);
  return false;
}

void Tell(const std::string& text) { std::fprintf(stderr, "filmtool: %s\n", text.c_str()); }

namespace {
class ToolListener : public Listener {
 public:
  void Tell(const std::string& line) override { ::Tell(line); }
  void Tell(Message message) override { ::Tell(message); }
};
}  // namespace

Listener& StandardError() {
  static ToolListener listener;
  return listener;
}
