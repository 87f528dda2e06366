// The free user-interface functions, each passed to the Ui in use.
#include "platform/ui.h"

namespace platform {
namespace {
Ui* installed = nullptr;
}  // namespace

Ui& CurrentUi() { return installed != nullptr ? *installed : DefaultUi(); }
void SetUi(Ui* ui) { installed = ui; }

int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                   unsigned style) {
  return CurrentUi().ShowMessageBox(owner, text, caption, style);
}
void Beep(unsigned soundType) { CurrentUi().Beep(soundType); }
intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc) {
  return CurrentUi().RunDialog(templateId, owner, proc);
}
void EndDialog(WindowRef dialog, intptr_t result) { CurrentUi().EndDialog(dialog, result); }
void SetTitle(WindowRef window, const std::wstring& title) { CurrentUi().SetTitle(window, title); }
void SetControlText(WindowRef dialog, int id, const std::wstring& text) {
  CurrentUi().SetControlText(dialog, id, text);
}
int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars) {
  return CurrentUi().GetControlText(dialog, id, buffer, bufferChars);
}
void SetControlUnsigned(WindowRef dialog, int id, uint32_t value) {
  CurrentUi().SetControlUnsigned(dialog, id, value);
}
uint32_t GetControlUnsigned(WindowRef dialog, int id) {
  return CurrentUi().GetControlUnsigned(dialog, id);
}
void SetCheck(WindowRef dialog, int id, bool checked) { CurrentUi().SetCheck(dialog, id, checked); }
bool IsChecked(WindowRef dialog, int id) { return CurrentUi().IsChecked(dialog, id); }
void AddComboText(WindowRef dialog, int id, const std::wstring& text) {
  CurrentUi().AddComboText(dialog, id, text);
}
void SelectComboEntry(WindowRef dialog, int id, int position) {
  CurrentUi().SelectComboEntry(dialog, id, position);
}
int SelectedComboEntry(WindowRef dialog, int id) {
  return CurrentUi().SelectedComboEntry(dialog, id);
}
WindowRef ControlWindow(WindowRef dialog, int id) { return CurrentUi().ControlWindow(dialog, id); }
void SetFocus(WindowRef window) { CurrentUi().SetFocus(window); }
void SelectAllText(WindowRef edit) { CurrentUi().SelectAllText(edit); }
void PostQuit(int exitCode) { CurrentUi().PostQuit(exitCode); }

}  // namespace platform
