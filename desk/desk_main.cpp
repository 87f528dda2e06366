// filmdesk.exe, the back office in a window: start the one instance (a
// second start hands its sheet to the first and ends), register the
// window's class, and run the message loop with the dialog's keyboard
// navigation.
#include <windows.h>
// After windows.h, which they need.
#include <commctrl.h>
#include <ole2.h>
#include <shellapi.h>

#include <string>

#include "desk/desk_ids.h"
#include "desk/desk_window.h"

namespace {

// The sheet the program was started with (a double-click, "Open with"),
// or "".
std::wstring SheetOnCommandLine() {
  int count = 0;
  wchar_t** words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  std::wstring sheet = words != nullptr && count > 1 ? words[1] : L"";
  ::LocalFree(words);
  return sheet;
}

// One instance only: the running one gets the sheet and comes forward.
bool HandedToRunning(const std::wstring& sheet) {
  HWND running = ::FindWindowW(kDeskClass, nullptr);
  if (running == nullptr) return false;
  if (!sheet.empty()) {
    COPYDATASTRUCT data = {};
    data.dwData = kSheetToBringBack;
    data.cbData = static_cast<DWORD>((sheet.size() + 1) * sizeof(wchar_t));
    data.lpData = const_cast<wchar_t*>(sheet.c_str());
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(running, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data),
                          SMTO_ABORTIFHUNG, 5000, &ignored);
  }
  if (::IsIconic(running)) ::ShowWindow(running, SW_RESTORE);
  ::SetForegroundWindow(running);
  return true;
}

// A dialog's window procedure under a class of the program's own.
bool RegisterDeskClass(HINSTANCE instance) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = ::DefDlgProcW;
  windowClass.cbWndExtra = DLGWINDOWEXTRA;
  windowClass.hInstance = instance;
  windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(IDI_DESK));
  windowClass.hIconSm = static_cast<HICON>(::LoadImageW(
      instance, MAKEINTRESOURCEW(IDI_DESK), IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
      ::GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
  windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  windowClass.lpszClassName = kDeskClass;
  return ::RegisterClassExW(&windowClass) != 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR /*commandLine*/,
                    int showState) {
  const std::wstring sheet = SheetOnCommandLine();
  if (HandedToRunning(sheet)) return 0;
  // The folder picker needs the apartment the shell's objects live in.
  ::OleInitialize(nullptr);
  INITCOMMONCONTROLSEX controls = {
      sizeof controls, ICC_LISTVIEW_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  if (!RegisterDeskClass(instance)) return 1;
  HWND window = CreateDeskWindow(instance, sheet, showState);
  if (window == nullptr) return 1;
  HACCEL keys = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_DESK_KEYS));
  MSG message = {};
  while (::GetMessageW(&message, /*hWnd=*/nullptr, 0, 0) > 0) {
    if (::TranslateAcceleratorW(window, keys, &message)) continue;
    if (::IsDialogMessageW(window, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  ::OleUninitialize();
  return static_cast<int>(message.wParam);
}
