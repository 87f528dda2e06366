// The back-office window's own settings, kept between starts in a small
// text file in the user's profile (never in tallo.cfg, which is the
// handheld's): which shop's folder it works on, the folder standing for the
// storage card, film.dat's code page, and where the owner keeps the sheets.
// One "name=value" line each, UTF-8; a line it does not know is left out;
// each other shop's sheets' folder as "shopsheets=SHOP|SHEETS" (no Windows
// path holds a bar).
#pragma once

#include <map>
#include <string>

struct DeskSettings {
  std::string folder;    // the folder of film.dat and tallo.cfg; "" none chosen yet
  std::string card;      // the folder standing for the storage card; "" the first removable drive
  std::string codePage;  // one of kCodePages, "" the system's
  std::string sheets;    // the folder this shop's last sheet was saved in or brought from
  // The same of the other shops the window worked on, by their folder.
  std::map<std::string, std::string> otherShops;
};

// The most other shops whose sheets' folder is kept.
constexpr size_t kKeptShops = 16;

// Makes `folder` the shop in `*settings`: the shop before it keeps its
// sheets' folder among the others, and the new one gets its own back.
void ChangeShop(const std::string& folder, DeskSettings* settings);

// The settings `text` holds: what it does not say stays as in `*settings`.
// Values that are no UTF-8, hold a control character or are longer than a
// path, and a code page the back office does not take, are left out.
void ParseDeskSettings(const std::string& text, DeskSettings* settings);
std::string FormatDeskSettings(const DeskSettings& settings);

// The settings file at `path`: read, or left as they are where there is
// none or it cannot be read; written under a temporary name first and put
// in place, so that a failure leaves the old file whole. False when it
// could not be written.
void LoadDeskSettings(const std::wstring& path, DeskSettings* settings);
bool SaveDeskSettings(const std::wstring& path, const DeskSettings& settings);
