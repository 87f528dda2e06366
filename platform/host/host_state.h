// State shared by the host back end's files; not for the rest of the program.
#pragma once

#include <array>
#include <cstdio>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/host/host_control.h"

namespace platform::host {

struct FaultPlan {
  int countdown = 0;  // 0: none armed; 1: the next call misbehaves
  Fault fault = Fault::kFail;
  bool persistent = false;
  bool firing = false;  // a persistent fault that has started
};

struct HostState {
  std::string workingFolder;
  std::array<FaultPlan, static_cast<size_t>(FileOp::kCount)> faults{};
  std::array<int, static_cast<size_t>(FileOp::kCount)> counts{};
  int allocationCountdown = 0;
  CardState card = CardState::kAbsent;
  std::wstring cardFolder;
  std::vector<UiEvent> events;
  std::deque<int> answers;
  std::FILE* echo = nullptr;
  bool quit = false;
  int quitCode = 0;
};

HostState& State();

// Counts a call of `op` and tells whether it should misbehave, and how.
std::optional<Fault> NextCallFault(FileOp op);

}  // namespace platform::host
