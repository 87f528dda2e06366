// State shared by the host back end's files and text; not for the rest of the
// program.
#pragma once

#include <string>

#include "platform/host/host_control.h"

namespace platform::host {

struct HostState {
  std::string workingFolder;
  CardState card = CardState::kAbsent;
  std::wstring cardFolder;
  // The code page of narrow text, and whether a tool chose it (undefined
  // byte sequences then convert to U+FFFD).
  unsigned codePage = 1252;
  bool codePageChosen = false;
};

HostState& State();

}  // namespace platform::host
