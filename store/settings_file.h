// Writing SettingsImage back to tallo.cfg when the program ends.
#pragma once

// Replaces tallo.cfg with the 42550 bytes of SettingsImage, pushed to the
// medium, in one step. False when that cannot be done, and the old
// tallo.cfg then stays as it was.
bool WriteSettingsFile();
