// What a command came to, for the layer that talks to the user: whether it
// was done, the message that tells it (none for a silent success), and, for
// a file step that failed, its step, file and cause. The commands show no
// message themselves.
#pragma once

#include <optional>
#include <string>
#include <utility>

#include "messages/messages.h"
#include "store/file_status.h"

struct CommandResult {
  bool done = false;
  std::optional<Message> message;
  FileStatus status;
  std::wstring detail;  // what the message names (an item's number)
  explicit operator bool() const { return done; }
};

inline CommandResult Refused(Message message, std::wstring detail = L"") {
  return CommandResult{false, message, {}, std::move(detail)};
}

// For the dialogs and the back office: shows the result's message, if any;
// true when the command was done.
inline bool TellResult(const CommandResult& result) {
  if (result.message) Tell(*result.message, nullptr, result.detail);
  return result.done;
}
