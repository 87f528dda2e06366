// Writing SettingsImage back to tallo.cfg when the program ends.
#pragma once

// Replaces tallo.cfg with the 42550 bytes of SettingsImage, pushed to the
// medium. When the file cannot be created or written whole: the default
// beep and "Unable to save configuration file" with no owner.
void SaveSettings();
