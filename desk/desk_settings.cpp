#include "desk/desk_settings.h"

#include <cstdint>

#include "office/fields.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "platform/utf8.h"

namespace {

// Far more than a settings file holds, far less than memory.
constexpr uint32_t kLargestFile = 64 * 1024;
// The longest path Windows takes, in UTF-8 bytes at most three a unit.
constexpr size_t kLongestValue = 3 * 32767;

bool IsValue(const std::string& value) {
  std::wstring wide;
  return value.size() <= kLongestValue && WideFromUtf8(value, &wide) &&
         !HoldsCharacter(wide, IsControlCharacter);
}

bool IsCodePage(const std::string& value) {
  for (unsigned page : kCodePages) {
    if (value == std::to_string(page)) return true;
  }
  return false;
}

}  // namespace

void ParseDeskSettings(const std::string& text, DeskSettings* settings) {
  size_t from = 0;
  while (from < text.size()) {
    size_t end = text.find('\n', from);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(from, end - from);
    from = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const size_t equals = line.find('=');
    if (line.empty() || line[0] == '#' || equals == std::string::npos) continue;
    const std::string name = line.substr(0, equals);
    const std::string value = line.substr(equals + 1);
    if (!IsValue(value)) continue;
    if (name == "folder") {
      settings->folder = value;
    } else if (name == "card") {
      settings->card = value;
    } else if (name == "codepage" && (value.empty() || IsCodePage(value))) {
      settings->codePage = value;
    } else if (name == "sheets") {
      settings->sheets = value;
    } else if (name == "shopsheets") {
      const size_t bar = value.find('|');
      if (bar == std::string::npos || bar == 0 || bar + 1 == value.size()) continue;
      if (settings->otherShops.size() < kKeptShops)
        settings->otherShops[value.substr(0, bar)] = value.substr(bar + 1);
    }
  }
}

std::string FormatDeskSettings(const DeskSettings& s) {
  std::string text = "# the tallo back office's settings\r\nfolder=" + s.folder +
                     "\r\ncard=" + s.card + "\r\ncodepage=" + s.codePage +
                     "\r\nsheets=" + s.sheets + "\r\n";
  for (const auto& [shop, sheets] : s.otherShops)
    text += "shopsheets=" + shop + "|" + sheets + "\r\n";
  return text;
}

void ChangeShop(const std::string& folder, DeskSettings* settings) {
  if (folder == settings->folder) return;
  if (!settings->folder.empty() && !settings->sheets.empty() &&
      settings->folder.find('|') == std::string::npos &&
      settings->sheets.find('|') == std::string::npos) {
    settings->otherShops[settings->folder] = settings->sheets;
  }
  const auto kept = settings->otherShops.find(folder);
  settings->sheets = kept == settings->otherShops.end() ? "" : kept->second;
  if (kept != settings->otherShops.end()) settings->otherShops.erase(kept);
  // The file stays small: past the most kept, one of the others goes.
  while (settings->otherShops.size() > kKeptShops)
    settings->otherShops.erase(settings->otherShops.begin());
  settings->folder = folder;
}

void LoadDeskSettings(const std::wstring& path, DeskSettings* settings) {
  platform::ScopedFile file(
      platform::OpenFile(path, platform::Access::kRead, platform::Disposition::kOpenExisting));
  uint64_t size = 0;
  if (!file || !platform::GetFileSize(file.get(), &size) || size > kLargestFile) return;
  std::string text(static_cast<size_t>(size), '\0');
  uint32_t read = 0;
  if (!platform::ReadFile(file.get(), text.data(), static_cast<uint32_t>(size), &read) ||
      read != size) {
    return;
  }
  ParseDeskSettings(text, settings);
}

bool SaveDeskSettings(const std::wstring& path, const DeskSettings& settings) {
  const std::string text = FormatDeskSettings(settings);
  const std::wstring temporary = path + L".tmp";
  bool written = false;
  {
    platform::ScopedFile file(platform::OpenFile(temporary, platform::Access::kWrite,
                                                 platform::Disposition::kCreateAlways));
    uint32_t count = 0;
    written =
        file &&
        platform::WriteFile(file.get(), text.data(), static_cast<uint32_t>(text.size()), &count) &&
        count == text.size() && platform::FlushFile(file.get());
  }
  if (written && platform::PutFileInPlace(temporary, path).renamed != platform::Renamed::kNot) {
    return true;
  }
  (void)platform::RemoveFile(temporary);
  return false;
}
