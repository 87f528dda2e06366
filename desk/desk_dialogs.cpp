// The system's own dialogs: Save As, Open and the folder picker.
#include <windows.h>
// After windows.h, which they need.
#include <commdlg.h>
#include <shlobj.h>

#include <vector>

#include "desk/desk_window.h"

namespace {

// Long enough for any path Windows takes.
constexpr DWORD kPathChars = 32768;

bool EndsWith(const std::wstring& name, const wchar_t* end) {
  const size_t n = wcslen(end);
  if (name.size() < n) return false;
  for (size_t i = 0; i < n; ++i) {
    if (towlower(name[name.size() - n + i]) != end[i]) return false;
  }
  return true;
}

}  // namespace

bool AskExportPath(HWND owner, const std::wstring& folder, const std::wstring& suggested,
                   std::wstring* path) {
  std::vector<wchar_t> name(kPathChars, L'\0');
  suggested.copy(name.data(), kPathChars - 1);
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = L"Workbook (*.xlsx)\0*.xlsx\0CSV, for scripts (*.csv)\0*.csv\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = kPathChars;
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = L"Export to a workbook";
  dialog.lpstrDefExt = L"xlsx";
  // The current folder is the shop's (film.dat's bare name lies there): the
  // dialog must not move it.
  dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST |
                 OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!::GetSaveFileNameW(&dialog)) return false;
  *path = name.data();
  // A type by its name: CSV only when chosen so.
  if (dialog.nFilterIndex == 2 && !EndsWith(*path, L".csv")) *path += L".csv";
  if (!EndsWith(*path, L".csv") && !EndsWith(*path, L".xlsx")) *path += L".xlsx";
  return true;
}

bool AskSheetPath(HWND owner, const std::wstring& folder, std::wstring* path) {
  std::vector<wchar_t> name(kPathChars, L'\0');
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter =
      L"Sheets (*.xlsx, *.ods, *.csv)\0*.xlsx;*.xlsm;*.ods;*.csv\0"
      L"Workbooks (*.xlsx, *.ods)\0*.xlsx;*.xlsm;*.ods\0CSV (*.csv)\0*.csv\0All files\0*.*\0";
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = kPathChars;
  dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
  dialog.lpstrTitle = L"Bring a sheet back";
  dialog.Flags = OFN_EXPLORER | OFN_ENABLESIZING | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST |
                 OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!::GetOpenFileNameW(&dialog)) return false;
  *path = name.data();
  return true;
}

namespace {

int CALLBACK StartAt(HWND picker, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0) {
    ::SendMessageW(picker, BFFM_SETSELECTIONW, TRUE, data);
  }
  return 0;
}

}  // namespace

bool AskFolder(HWND owner, const wchar_t* title, std::wstring* folder) {
  BROWSEINFOW browse = {};
  browse.hwndOwner = owner;
  browse.lpszTitle = title;
  browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE | BIF_EDITBOX;
  browse.lpfn = StartAt;
  browse.lParam = folder->empty() ? 0 : reinterpret_cast<LPARAM>(folder->c_str());
  PIDLIST_ABSOLUTE chosen = ::SHBrowseForFolderW(&browse);
  if (chosen == nullptr) return false;
  std::vector<wchar_t> path(kPathChars, L'\0');
  const bool named = ::SHGetPathFromIDListEx(chosen, path.data(), kPathChars, GPFIDL_DEFAULT);
  ::CoTaskMemFree(chosen);
  if (named) *folder = path.data();
  return named;
}
