// Opening the inventory at start: settings, location, creation of a fresh
// file, size checks, and the build of NumberIndex and PrefixTable.
#pragma once

// True when the inventory is open, sized and indexed; false after a fatal
// failure that has already been shown to the user.
bool Opendata();

// The settings file, under its bare name beside film.dat.
constexpr wchar_t kSettingsPath[] = L"tallo.cfg";
