// The handheld shell library's calls that the application shell makes: the
// menu bar, activation and settings-change handling, full-screen dialogs and
// the two start-up calls. On Windows CE they forward to the shell library;
// on desktop Windows, shell_desktop.cpp stands in for them, so that no
// desktop-only call leaves platform/win32.
#pragma once

#include <windows.h>

namespace shell {

// The menu-bar creation record (36 bytes on the handheld).
struct MenuBarInfo {
  DWORD size;
  HWND owner;
  DWORD flags;
  UINT menuBarId;  // raw data resource describing the bar's buttons
  HINSTANCE instance;
  UINT bitmapId;
  int bitmapCount;
  HWND menuBar;  // set by CreateMenuBar
  COLORREF background;
};

// The activation record: its size, then two fields that belong to the shell.
struct ActivateInfo {
  DWORD size;
  DWORD shellState[2];
};

// The full-screen dialog record: mask, dialog, flags.
struct DialogInfo {
  DWORD mask;
  HWND dialog;
  DWORD flags;
};

constexpr DWORD kDialogFlagsValid = 0x01;
constexpr DWORD kDialogDoneButton = 0x01;
constexpr DWORD kDialogFullScreen = 0x04;
constexpr DWORD kDialogInputPanelDown = 0x08;
constexpr DWORD kDialogEmptyMenu = 0x20;

BOOL InitExtraControls();
BOOL CreateMenuBar(MenuBarInfo* info);
BOOL HandleActivate(HWND window, WPARAM wparam, LPARAM lparam, ActivateInfo* info, DWORD flags);
BOOL HandleSettingChange(HWND window, WPARAM wparam, LPARAM lparam, ActivateInfo* info);
BOOL InitDialog(DialogInfo* info);
// Brings a running instance's window to the foreground. The handheld takes
// the handle with its lowest bit set, meaning "and its topmost owned window".
void ForegroundRunningInstance(HWND window);
// The start-up call made with the main window once it is shown.
BOOL FullScreen(HWND window, DWORD state);

}  // namespace shell
