// State shared by the host back end's files; not for the rest of the program.
#pragma once

#include <string>

#include "platform/host/host_control.h"

namespace platform::host {

struct HostState {
  std::string workingFolder;
  CardState card = CardState::kAbsent;
  std::wstring cardFolder;
};

HostState& State();

}  // namespace platform::host
