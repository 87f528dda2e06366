// The About dialog: full screen, with the done button in its title bar.
#include <windows.h>

#include "app/app_state.h"
#include "dialogs/dialog_support.h"
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
    default:  // the done button in the title bar is OK
      return EndOnOkOrCancel(dialog, message, wparam);
  }
}

}  // namespace

void RunAboutDialog() { RunModal(IDD_ABOUT, AboutDialogProc); }
