// A command-line tool on Windows: the wide command line as UTF-8, binary
// standard streams, and bare names resolved in the folder given.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>

#include "platform/console.h"
#include "platform/win32/win32_card.h"

namespace platform {
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return L"";
  const int n =
      ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(), n);
  return wide;
}

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return "";
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), n,
                        nullptr, nullptr);
  return utf8;
}

// `wide` in the system's code page, or "" when it lacks a character of it.
std::string InSystemCodePage(const std::wstring& wide) {
  if (wide.empty()) return "";
  const UINT page = ::GetACP();
  const bool utf8 = page == CP_UTF8;  // takes every character, and no flag
  const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL lost = FALSE;
  BOOL* const lostAt = utf8 ? nullptr : &lost;
  const int size = static_cast<int>(wide.size());
  const int n = ::WideCharToMultiByte(page, flags, wide.data(), size, nullptr, 0, nullptr, lostAt);
  if (n <= 0 || lost) return "";
  std::string narrow(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(page, flags, wide.data(), size, narrow.data(), n, nullptr, lostAt);
  return lost ? "" : narrow;
}

std::wstring folder_;

}  // namespace

std::vector<std::string> StartConsole(int /*argc*/, char** /*argv*/) {
  // Bytes in and out: in text mode a Ctrl+Z byte would end a sheet read
  // from standard input there.
  ::_setmode(::_fileno(stdin), _O_BINARY);
  ::_setmode(::_fileno(stdout), _O_BINARY);
  ::_setmode(::_fileno(stderr), _O_BINARY);
  ::SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; words != nullptr && i < count; ++i) arguments.push_back(Utf8(words[i]));
  ::LocalFree(words);
  return arguments;
}

// Bare names resolve in the current folder, which becomes this one.
void UseFolder(const std::string& folder) {
  folder_ = Wide(folder);
  ::SetCurrentDirectoryW(folder_.c_str());
}

void UseCardFolder(const std::string& folder) { UseCardFolderInstead(Wide(folder)); }

std::string NarrowPathOf(const std::wstring& path) {
  const std::string narrow = InSystemCodePage(path);
  if (!narrow.empty()) return narrow;
  const DWORD n = ::GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return "";
  std::wstring shortPath(n, L'\0');
  const DWORD got = ::GetShortPathNameW(path.c_str(), shortPath.data(), n);
  if (got == 0 || got >= n) return "";
  shortPath.resize(got);
  return InSystemCodePage(shortPath);
}

std::string ShownPath(const std::wstring& path) {
  const bool bare = path.find(L'\\') == std::wstring::npos && path.find(L':') == std::wstring::npos;
  if (!bare || folder_.empty()) return Utf8(path);
  const wchar_t last = folder_.back();
  return Utf8(folder_ + (last == L'\\' || last == L'/' ? L"" : L"\\") + path);
}

}  // namespace platform
