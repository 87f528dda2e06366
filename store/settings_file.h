// Writing SettingsImage back to tallo.cfg when the program ends.
#pragma once

#include "store/file_status.h"

// Replaces tallo.cfg with the 42550 bytes of SettingsImage, pushed to the
// medium, in one step (PutNewFile). On a failure, the step that failed; the
// old tallo.cfg then stays as it was.
FileStatus WriteSettingsFile();
