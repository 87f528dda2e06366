// window_floor: the least a window program that loads film.dat must do, the
// floor of tallo.exe's start-up under Wine. It reads film.dat in the current
// folder to its end with ReadFile, in runs of the size tallo.exe's load reads
// (256 records of 1874 bytes) into page-aligned memory, and only then shows a
// window. The window has tallo.exe's class and title, and leaves on its Exit
// command, so that startup_timer times both the same way.
#include <windows.h>

namespace {

constexpr DWORD kRunBytes = 256 * 1874;
constexpr WPARAM kExitCommand = 40000;

bool ReadAll(const wchar_t* file) {
  HANDLE h = ::CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, /*lpSecurityAttributes=*/nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, /*hTemplateFile=*/nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  void* run =
      ::VirtualAlloc(/*lpAddress=*/nullptr, kRunBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  DWORD got = 0;
  unsigned long long total = 0;
  while (run != nullptr && ::ReadFile(h, run, kRunBytes, &got, /*lpOverlapped=*/nullptr) &&
         got > 0) {
    total += got;
  }
  ::CloseHandle(h);
  if (run != nullptr) ::VirtualFree(run, 0, MEM_RELEASE);
  return total > 0;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == kExitCommand) ::DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      ::PostQuitMessage(0);
      return 0;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR /*commandLine*/,
                    int showState) {
  if (!ReadAll(L"film.dat")) return 1;
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = L"MYTALLO";
  if (::RegisterClassW(&windowClass) == 0) return 1;
  HWND window = ::CreateWindowExW(0, L"MYTALLO", L"Norvi Utility", WS_VISIBLE | WS_CAPTION,
                                  CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                                  /*hWndParent=*/nullptr, /*hMenu=*/nullptr, instance,
                                  /*lpParam=*/nullptr);
  if (window == nullptr) return 1;
  ::ShowWindow(window, showState);
  ::UpdateWindow(window);
  MSG message = {};
  while (::GetMessageW(&message, /*hWnd=*/nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  return 0;
}
