// The names of the files the program keeps. Bare names resolve in the
// program's own folder; the inventory's name also stands after a storage
// card's folder, and the journal lies beside whichever inventory is in use.
#pragma once

// The inventory file's name, and with it the device's inventory path.
constexpr wchar_t kDataFileName[] = L"film.dat";
constexpr const wchar_t* kDeviceDataPath = kDataFileName;
// The redo journal of a record write, beside the inventory file.
constexpr wchar_t kJournalFileName[] = L"film.jnl";
// The settings file, beside the device's film.dat, and the name a new
// settings file is written under before it takes the place of the old one.
constexpr wchar_t kSettingsPath[] = L"tallo.cfg";
constexpr wchar_t kSettingsTempPath[] = L"tallo.tmp";
// The name a fresh inventory is written under before it becomes film.dat.
constexpr wchar_t kFreshTempPath[] = L"film.tmp";
