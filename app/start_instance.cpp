#include <windows.h>

#include "app/app_state.h"
#include "platform/app_handles.h"
#include "resources/resource_ids.h"

int MainWidth = 0;
int MainHeight = 0;

namespace {
constexpr int kTextChars = 100;
constexpr DWORD kMainStyle = WS_VISIBLE | WS_CAPTION;  // 0x10C00000
}  // namespace

ATOM RegisterMainClass(HINSTANCE instance, const wchar_t* className) {
  WNDCLASSW windowClass = {};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = instance;
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
  windowClass.hbrBackground = static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = className;
  return ::RegisterClassW(&windowClass);
}

BOOL StartInstance(HINSTANCE instance, int showState) {
  AppInstance = reinterpret_cast<platform::InstanceRef>(instance);
  shell::InitExtraControls();

  wchar_t title[kTextChars] = {};
  wchar_t className[kTextChars] = {};
  ::LoadStringW(instance, IDS_TITLE, title, kTextChars);
  ::LoadStringW(instance, IDS_CLASS, className, kTextChars);

  // One instance only: bring the running one forward instead.
  if (HWND running = ::FindWindowW(className, title)) {
    shell::ForegroundRunningInstance(running);
    return FALSE;
  }
  if (RegisterMainClass(instance, className) == 0) return FALSE;

  HWND window = ::CreateWindowExW(0, className, title, kMainStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  CW_USEDEFAULT, CW_USEDEFAULT, /*hWndParent=*/nullptr,
                                  /*hMenu=*/nullptr, instance, /*lpParam=*/nullptr);
  if (window == nullptr) return FALSE;

  // Leave room for the menu bar below the window.
  if (MenuBar != nullptr) {
    RECT main, bar;
    ::GetWindowRect(window, &main);
    ::GetWindowRect(MenuBar, &bar);
    main.bottom -= bar.bottom - bar.top;
    ::MoveWindow(window, main.left, main.top, main.right - main.left, main.bottom - main.top,
                 FALSE);
  }
  MainWindow = reinterpret_cast<platform::WindowRef>(window);

  RECT outer;
  ::GetWindowRect(window, &outer);
  MainWidth = outer.right - outer.left;
  MainHeight = outer.bottom - outer.top;

  ::ShowWindow(window, showState);
  ::UpdateWindow(window);
  shell::FullScreen(window, 2);
  return TRUE;
}
