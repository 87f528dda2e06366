// The host's windows: the main window stand-in, and the dialogs and their
// controls that the scripted user works. Internal to the host back end.
#pragma once

#include <string>

#include "platform/platform.h"

namespace platform {

struct Window {
  explicit Window(std::string windowName) : name(std::move(windowName)) {}
  virtual ~Window() = default;
  std::string name;  // "main", "dialog <id>", "control <id>"
};

namespace host {
void ResetDialogs();
}  // namespace host

}  // namespace platform
