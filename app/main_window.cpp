// The main window: the background picture, four owner-drawn picture buttons
// whose faces are copied from it, the menu bar, and the command table.
#include <windows.h>

#include "app/app_state.h"
#include "commands/records_state.h"
#include "config/configuration.h"
#include "messages/messages.h"
#include "messages/opening_messages.h"
#include "platform/app_handles.h"
#include "platform/platform.h"
#include "records/delete_command.h"
#include "records/find_amend.h"
#include "resources/resource_ids.h"

HWND MenuBar = nullptr;
HDC BitmapSurface = nullptr;
shell::ActivateInfo ActivationInfo = {};

namespace {

// Child, tab stop, owner-drawn push button, created hidden.
constexpr DWORD kButtonStyle = WS_CHILD | WS_TABSTOP | BS_OWNERDRAW;  // 0x4001000B
constexpr DWORD kCopy = SRCCOPY;                                      // 0xCC0020

struct PictureButton {
  const wchar_t* caption;
  int id;
  int y;
};
// Each face is the part of the picture that lies under the button.
constexpr int kButtonX = 10;
constexpr int kButtonWidth = 120;
constexpr int kButtonHeight = 20;
constexpr PictureButton kButtons[] = {{L"Find", IDC_FIND, 16},
                                      {L"Amend", IDC_AMEND, 56},
                                      {L"Delete", IDC_DELETE, 96},
                                      {L"Configuration", IDC_CONFIGURATION, 136}};

const PictureButton* ButtonById(UINT id) {
  for (const PictureButton& b : kButtons) {
    if (static_cast<UINT>(b.id) == id) return &b;
  }
  return nullptr;
}

void Create(HWND window) {
  const auto instance = reinterpret_cast<HINSTANCE>(AppInstance);
  shell::MenuBarInfo bar = {};
  bar.size = sizeof bar;
  bar.owner = window;
  bar.menuBarId = IDM_MENU;
  bar.instance = instance;
  MenuBar = shell::CreateMenuBar(&bar) ? bar.menuBar : nullptr;

  ActivationInfo = {};
  ActivationInfo.size = sizeof ActivationInfo;

  if (!Opendata()) ::PostQuitMessage(0);

  HDC screen = ::GetDC(nullptr);
  BitmapSurface = ::CreateCompatibleDC(screen);
  if (::SelectObject(BitmapSurface, BackgroundBitmap) == nullptr) {
    Tell(Message::kNoPicture, reinterpret_cast<platform::WindowRef>(window));
  }
  ::ReleaseDC(nullptr, screen);

  HWND amend = nullptr;
  for (const PictureButton& b : kButtons) {
    HWND button = ::CreateWindowExW(0, L"button", b.caption, kButtonStyle, kButtonX, b.y,
                                    kButtonWidth, kButtonHeight, window,
                                    reinterpret_cast<HMENU>(static_cast<UINT_PTR>(b.id)), instance,
                                    /*lpParam=*/nullptr);
    ::ShowWindow(button, SW_SHOWNORMAL);
    if (b.id == IDC_AMEND) amend = button;
  }
  ::SetFocus(amend);
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC target = ::BeginPaint(window, &paint);
  ::BitBlt(target, 0, 0, MainWidth, MainHeight, BitmapSurface, 0, 0, kCopy);
  ::EndPaint(window, &paint);
}

// The face never depends on the button's state: pressed, focused and idle
// look the same.
void DrawButton(const DRAWITEMSTRUCT& item) {
  const PictureButton* b = ButtonById(item.CtlID);
  if (b == nullptr) return;
  const RECT& r = item.rcItem;
  ::StretchBlt(item.hDC, r.left, r.top, r.right - r.left, r.bottom - r.top, BitmapSurface, kButtonX,
               b->y, kButtonWidth, kButtonHeight, kCopy);
}

// True when the command was one of the table's.
bool Command(HWND window, UINT id) {
  switch (id) {
    case IDC_FIND:
      CurrentNumber = 0;
      FindCommand();
      return true;
    case IDC_AMEND:
      AmendCommand();
      return true;
    case IDC_DELETE:
      DeleteCommand();
      return true;
    case IDC_CONFIGURATION:
      ConfigurationCommand();
      return true;
    case IDM_EXIT:
      ::SendMessageW(window, WM_CLOSE, 0, 0);
      return true;
    case IDM_ABOUT:
      RunAboutDialog();
      return true;
    default:
      return false;
  }
}

}  // namespace

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_CREATE:
      Create(window);
      return 0;
    case WM_DESTROY:
      if (MenuBar != nullptr) ::DestroyWindow(MenuBar);
      ::PostQuitMessage(0);
      return 0;
    case WM_ACTIVATE:
      shell::HandleActivate(window, wparam, lparam, &ActivationInfo, 0);
      return 0;
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_SETTINGCHANGE:
      shell::HandleSettingChange(window, wparam, lparam, &ActivationInfo);
      return 0;
    case WM_DRAWITEM:
      DrawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return 0;
    case WM_COMMAND:
      if (Command(window, LOWORD(wparam))) return 0;
      break;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}
