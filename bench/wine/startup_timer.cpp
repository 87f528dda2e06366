// startup_timer: how long the Windows program takes from its launch to its
// visible main window, beside how long a plain sequential read of the same
// file takes in a console process of its own. The window floor
// (window_floor.cpp) is timed with "window" as tallo.exe is.
//   startup_timer window EXE FOLDER RUNS         launch to visible main window
//   startup_timer read FILE RUNS                 launch to exit of a reader
//   startup_timer touch SLOTS RUNS               first writes to a fresh index
//                                                of SLOTS slots (18 bytes each)
// Each prints every run's milliseconds and their median.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

double Now() {
  LARGE_INTEGER counter, frequency;
  ::QueryPerformanceCounter(&counter);
  ::QueryPerformanceFrequency(&frequency);
  return 1e3 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

PROCESS_INFORMATION Launch(const std::wstring& exe, std::wstring commandLine,
                           const wchar_t* folder) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder, &startup, &process)) {
    std::fprintf(stderr, "cannot start %ls\n", exe.c_str());
    std::exit(1);
  }
  return process;
}

void End(PROCESS_INFORMATION& process) {
  if (::WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
    ::TerminateProcess(process.hProcess, 1);
  }
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
}

// Launch to the main window, visible and owned by the child.
double TimeWindow(const std::wstring& tallo, const std::wstring& folder) {
  const double start = Now();
  PROCESS_INFORMATION process = Launch(tallo, L"\"" + tallo + L"\"", folder.c_str());
  double shown = -1;
  for (int i = 0; i < 600000 && shown < 0; ++i) {
    HWND window = ::FindWindowW(L"MYTALLO", L"Norvi Utility");
    DWORD owner = 0;
    if (window != nullptr) ::GetWindowThreadProcessId(window, &owner);
    if (window != nullptr && owner == process.dwProcessId && ::IsWindowVisible(window)) {
      shown = Now() - start;
      ::PostMessageW(window, WM_COMMAND, 40000, 0);  // Exit
    } else {
      ::Sleep(1);
    }
  }
  End(process);
  return shown;
}

// Launch to exit of this program reading FILE.
double TimeRead(const std::wstring& self, const std::wstring& file) {
  const double start = Now();
  PROCESS_INFORMATION process =
      Launch(self, L"\"" + self + L"\" --read \"" + file + L"\"", nullptr);
  ::WaitForSingleObject(process.hProcess, INFINITE);
  const double took = Now() - start;
  End(process);
  return took;
}

// Reads the file to its end in 1 MiB reads into page-aligned memory.
int ReadAll(const std::wstring& file) {
  HANDLE h = ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return 1;
  constexpr DWORD kBlock = 1 << 20;
  void* buffer = ::VirtualAlloc(nullptr, kBlock, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  DWORD got = 0;
  unsigned long long total = 0;
  while (::ReadFile(h, buffer, kBlock, &got, nullptr) && got > 0) total += got;
  ::CloseHandle(h);
  return total > 0 ? 0 : 1;
}

// Allocates the index and prefix table of `slots` slots as the program does
// (zero-filled heap blocks) and writes every entry once: the cost of the
// memory's first touch, page by page.
double TimeTouch(size_t slots) {
  const double start = Now();
  auto* index = static_cast<char*>(::LocalAlloc(LPTR, slots * 16));
  auto* prefixes = static_cast<char*>(::LocalAlloc(LPTR, slots * 2));
  if (index == nullptr || prefixes == nullptr) return -1;
  for (size_t i = 0; i < slots; ++i) {
    index[i * 16] = 1;
    prefixes[i * 2] = 1;
  }
  const double took = Now() - start;
  ::LocalFree(index);
  ::LocalFree(prefixes);
  return took;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 3 && std::wcscmp(argv[1], L"--read") == 0) return ReadAll(argv[2]);
  const bool window = argc == 5 && std::wcscmp(argv[1], L"window") == 0;
  const bool read = argc == 4 && std::wcscmp(argv[1], L"read") == 0;
  const bool touch = argc == 4 && std::wcscmp(argv[1], L"touch") == 0;
  if (!window && !read && !touch) {
    std::fprintf(stderr,
                 "usage: startup_timer window TALLO.EXE FOLDER RUNS | read FILE RUNS | "
                 "touch SLOTS RUNS\n");
    return 2;
  }
  const int runs = _wtoi(argv[argc - 1]);
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double t = window ? TimeWindow(argv[2], argv[3])
                     : read ? TimeRead(self, argv[2])
                            : TimeTouch(static_cast<size_t>(_wtoi64(argv[2])));
    if (t < 0) {
      std::fprintf(stderr, "no main window, or no memory\n");
      return 1;
    }
    times.push_back(t);
    std::printf("%.0f ", t);
  }
  std::sort(times.begin(), times.end());
  std::printf("median %.0f\n", times[times.size() / 2]);
  return 0;
}
