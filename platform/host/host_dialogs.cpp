#include "platform/host/host_window.h"

namespace platform::host {
void ResetDialogs() {}
}  // namespace platform::host
