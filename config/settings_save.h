// The settings saved when the program ends.
#pragma once

// Replaces tallo.cfg with SettingsImage (store/settings_file.h). When that
// cannot be done: the default beep and "Unable to save configuration file"
// with no owner, and the old tallo.cfg stays as it was.
void SaveSettings();
