// Writing SettingsImage back to tallo.cfg when the program ends.
#pragma once

// Replaces tallo.cfg with the 42550 bytes of SettingsImage, pushed to the
// medium, in one step. When that cannot be done: the default beep and
// "Unable to save configuration file" with no owner, and the old tallo.cfg
// stays as it was.
void SaveSettings();
