// State shared by the host back end's files; not for the rest of the program.
#pragma once

#include <cstdio>
#include <deque>
#include <string>
#include <vector>

#include "platform/host/host_control.h"

namespace platform::host {

struct HostState {
  std::string workingFolder;
  CardState card = CardState::kAbsent;
  std::wstring cardFolder;
  std::vector<UiEvent> events;
  std::deque<int> answers;
  std::FILE* echo = nullptr;
  bool quit = false;
  int quitCode = 0;
};

HostState& State();

}  // namespace platform::host
