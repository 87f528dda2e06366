// A command-line tool over the host back end: arguments are UTF-8 already,
// and the folders are the host's own.
#include "platform/console.h"
#include "platform/host/host_control.h"

namespace platform {

std::vector<std::string> StartConsole(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

void UseFolder(const std::string& folder) { host::SetWorkingFolder(folder); }

void UseCardFolder(const std::string& folder) {
  host::SetStorageCard(host::CardState::kPresent, host::Widen(folder));
}

std::string ShownPath(const std::wstring& path) { return host::HostPath(path); }

}  // namespace platform
