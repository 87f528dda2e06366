// The host's user interface has no screen: every message box is answered OK,
// sounds are silent, no dialog starts, and the control operations (there are
// no controls) do nothing. Tests install the scripted user over it.
#include "platform/ui.h"

namespace platform {
namespace {

class HeadlessUi : public Ui {
 public:
  int ShowMessageBox(WindowRef, const std::wstring&, const std::wstring&, unsigned) override {
    return kIdOk;
  }
  void Beep(unsigned) override {}
  intptr_t RunDialog(int, WindowRef, DialogProc) override { return -1; }
  void EndDialog(WindowRef, intptr_t) override {}
  void SetTitle(WindowRef, const std::wstring&) override {}
  void SetControlText(WindowRef, int, const std::wstring&) override {}
  int GetControlText(WindowRef, int, wchar_t* buffer, int bufferChars) override {
    if (bufferChars > 0) buffer[0] = L'\0';
    return 0;
  }
  void SetControlUnsigned(WindowRef, int, uint32_t) override {}
  uint32_t GetControlUnsigned(WindowRef, int) override { return 0; }
  void SetCheck(WindowRef, int, bool) override {}
  bool IsChecked(WindowRef, int) override { return false; }
  void AddComboText(WindowRef, int, const std::wstring&) override {}
  void SelectComboEntry(WindowRef, int, int) override {}
  int SelectedComboEntry(WindowRef, int) override { return -1; }
  WindowRef ControlWindow(WindowRef, int) override { return nullptr; }
  void SetFocus(WindowRef) override {}
  void SelectAllText(WindowRef) override {}
  void PostQuit(int) override {}
};

}  // namespace

Ui& DefaultUi() {
  static HeadlessUi ui;
  return ui;
}

}  // namespace platform
