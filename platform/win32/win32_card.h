// Internal to the Win32 back end: a folder that stands for the storage card
// in place of the first removable drive (for the command-line tool).
#pragma once

#include <string>

namespace platform {
void UseCardFolderInstead(const std::wstring& folder);
}  // namespace platform
