// The About dialog: full screen, with the done button in its title bar.
#include <windows.h>

#include "app/app_state.h"
#include "platform/app_handles.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"

namespace {

intptr_t AboutDialogProc(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                         intptr_t /*lparam*/) {
  switch (message) {
    case platform::kMsgInitDialog: {
      shell::DialogInfo info = {};
      info.mask = shell::kDialogFlagsValid;
      info.dialog = reinterpret_cast<HWND>(dialog);
      info.flags = shell::kDialogDoneButton | shell::kDialogFullScreen |
                   shell::kDialogInputPanelDown | shell::kDialogEmptyMenu;
      shell::InitDialog(&info);
      return TRUE;
    }
    case platform::kMsgCommand:
      if (LOWORD(wparam) == IDOK) {
        platform::EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    case platform::kMsgClose:
      platform::EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void RunAboutDialog() { platform::RunDialog(IDD_ABOUT, MainWindow, AboutDialogProc); }
