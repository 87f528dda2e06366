// A command-line tool on Windows: the wide command line as UTF-8, binary
// standard streams, and bare names resolved in the folder given.
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdio>

#include "platform/console.h"
#include "platform/utf8.h"
#include "platform/win32/win32_card.h"

namespace platform {
namespace {

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
  for (int i = 1; words != nullptr && i < count; ++i) arguments.push_back(Utf8FromWide(words[i]));
  ::LocalFree(words);
  return arguments;
}

// Bare names resolve in the current folder, which becomes this one.
void UseFolder(const std::string& folder) {
  folder_ = ::Wide(folder);
  ::SetCurrentDirectoryW(folder_.c_str());
}

void UseCardFolder(const std::string& folder) { UseCardFolderInstead(::Wide(folder)); }

std::string ShownPath(const std::wstring& path) {
  const bool bare = path.find(L'\\') == std::wstring::npos && path.find(L':') == std::wstring::npos;
  if (!bare || folder_.empty()) return Utf8FromWide(path);
  const wchar_t last = folder_.back();
  return Utf8FromWide(folder_ + (last == L'\\' || last == L'/' ? L"" : L"\\") + path);
}

}  // namespace platform
