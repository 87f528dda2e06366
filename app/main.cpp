// The main routine: load the picture, start the instance, run the message
// loop with the accelerators, and store the settings when the loop ends.
#include <windows.h>

#include "app/app_state.h"
#include "config/settings_save.h"
#include "resources/resource_ids.h"

HBITMAP BackgroundBitmap = nullptr;

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE /*previous*/, LPWSTR /*commandLine*/,
                    int showState) {
  // A failed load shows later, as "HDC", when the picture cannot be selected.
  BackgroundBitmap = ::LoadBitmapW(instance, MAKEINTRESOURCEW(IDB_BACKGROUND));
  if (!StartInstance(instance, showState)) return 0;

  HACCEL accelerators = ::LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
  MSG message = {};
  while (::GetMessageW(&message, /*hWnd=*/nullptr, 0, 0) > 0) {
    // The command goes to the window the key was addressed to.
    if (::TranslateAcceleratorW(message.hwnd, accelerators, &message)) continue;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  SaveSettings();
  return static_cast<int>(message.wParam);
}
