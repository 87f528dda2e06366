// Desktop stand-ins for the handheld shell library.
//
// - The menu bar becomes the window's own menu, built from the same menu-bar
//   data resource and menu: "Exit" sends its command, "HELP" opens the
//   pop-up. The desktop menu lives inside the window frame, so the window
//   that stands for the handheld's bar takes no height.
// - A full-screen dialog with a done button gets a real OK button (the
//   title-bar OK exists only on the handheld) and covers its owner window.
// - The start-up presentation call keeps the main window within the largest
//   screen the background picture covers, so no uncovered area shows.
#include <cstdint>

#include "platform/win32/shell.h"

namespace shell {
namespace {

constexpr int kPictureWidth = 720;
constexpr int kPictureHeight = 480;
constexpr WORD kNoPopup = 0xFFFF;
constexpr int kWordsPerButton = 7;

// Words of the menu-bar data resource: menu id, button count, then seven
// words per button: image, command, state, style, string id, 0, pop-up index.
const WORD* LoadMenuBarData(HINSTANCE instance, UINT id, DWORD* words) {
  HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(id), RT_RCDATA);
  if (found == nullptr) return nullptr;
  HGLOBAL loaded = ::LoadResource(instance, found);
  if (loaded == nullptr) return nullptr;
  *words = ::SizeofResource(instance, found) / sizeof(WORD);
  return static_cast<const WORD*>(::LockResource(loaded));
}

}  // namespace

BOOL InitExtraControls() { return TRUE; }

BOOL CreateMenuBar(MenuBarInfo* info) {
  DWORD words = 0;
  const WORD* data = LoadMenuBarData(info->instance, info->menuBarId, &words);
  if (data == nullptr || words < 2 || words < 2 + DWORD{data[1]} * kWordsPerButton) return FALSE;
  HMENU popups = ::LoadMenuW(info->instance, MAKEINTRESOURCEW(data[0]));
  HMENU bar = ::CreateMenu();
  if (bar == nullptr) return FALSE;
  for (WORD b = 0; b < data[1]; ++b) {
    const WORD* button = data + 2 + b * kWordsPerButton;
    wchar_t text[100] = {};
    ::LoadStringW(info->instance, button[4], text, 100);
    const WORD popup = button[6];
    if (popup != kNoPopup && popups != nullptr && ::GetSubMenu(popups, popup) != nullptr) {
      ::AppendMenuW(bar, MF_POPUP | MF_STRING,
                    reinterpret_cast<UINT_PTR>(::GetSubMenu(popups, popup)), text);
    } else {
      ::AppendMenuW(bar, MF_STRING, button[1], text);
    }
  }
  if (!::SetMenu(info->owner, bar)) {
    ::DestroyMenu(bar);
    return FALSE;
  }
  info->menuBar = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 0, 0, info->owner,
                                    /*hMenu=*/nullptr, info->instance, /*lpParam=*/nullptr);
  return info->menuBar != nullptr;
}

BOOL HandleActivate(HWND, WPARAM, LPARAM, ActivateInfo*, DWORD) { return TRUE; }

BOOL HandleSettingChange(HWND, WPARAM, LPARAM, ActivateInfo*) { return TRUE; }

BOOL InitDialog(DialogInfo* info) {
  if ((info->mask & kDialogFlagsValid) == 0) return TRUE;
  HWND dialog = info->dialog;
  if ((info->flags & kDialogFullScreen) != 0) {
    RECT area;
    HWND owner = ::GetWindow(dialog, GW_OWNER);
    if (owner != nullptr && ::GetWindowRect(owner, &area)) {
      ::MoveWindow(dialog, area.left, area.top, area.right - area.left, area.bottom - area.top,
                   TRUE);
    }
  }
  if ((info->flags & kDialogDoneButton) != 0 && ::GetDlgItem(dialog, IDOK) == nullptr) {
    RECT client, button = {0, 0, 50, 14};
    ::GetClientRect(dialog, &client);
    ::MapDialogRect(dialog, &button);
    const int margin = button.bottom / 3;
    HWND ok = ::CreateWindowExW(
        0, L"BUTTON", L"OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON,
        client.right - button.right - margin, client.bottom - button.bottom - margin, button.right,
        button.bottom, dialog, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDOK)),
        reinterpret_cast<HINSTANCE>(::GetWindowLongPtrW(dialog, GWLP_HINSTANCE)), nullptr);
    ::SendMessageW(ok, WM_SETFONT, ::SendMessageW(dialog, WM_GETFONT, 0, 0), TRUE);
  }
  return TRUE;
}

void ForegroundRunningInstance(HWND window) {
  // Desktop handles carry no flag bits: the window itself comes forward.
  ::SetForegroundWindow(window);
}

BOOL FullScreen(HWND window, DWORD) {
  RECT r;
  if (!::GetWindowRect(window, &r)) return FALSE;
  const int width = r.right - r.left, height = r.bottom - r.top;
  if (width <= kPictureWidth && height <= kPictureHeight) return TRUE;
  return ::SetWindowPos(window, nullptr, 0, 0, width < kPictureWidth ? width : kPictureWidth,
                        height < kPictureHeight ? height : kPictureHeight,
                        SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace shell
