// Message boxes, beeps, the quit request and modal dialogs from the
// program's dialog templates.
#include <windows.h>

#include "platform/app_handles.h"
#include "platform/ui.h"

namespace platform {
namespace {

HWND Hwnd(WindowRef window) { return reinterpret_cast<HWND>(window); }
WindowRef Ref(HWND hwnd) { return reinterpret_cast<WindowRef>(hwnd); }

// The procedure of the dialog being created. Dialogs are modal and run on the
// one thread, so it is taken over at the first message and kept in the
// dialog's own user data from then on.
DialogProc pendingProc = nullptr;

INT_PTR CALLBACK DialogThunk(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto proc = reinterpret_cast<DialogProc>(::GetWindowLongPtrW(dialog, DWLP_USER));
  if (proc == nullptr) {
    if (pendingProc == nullptr) return FALSE;
    proc = pendingProc;
    pendingProc = nullptr;
    ::SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(proc));
  }
  return proc(Ref(dialog), message, wparam, lparam);
}

// The Windows calls behind every user-interface operation.
class Win32Ui : public Ui {
 public:
  int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                     unsigned style) override {
    return ::MessageBoxW(Hwnd(owner), text.c_str(), caption.c_str(), style);
  }

  void Beep(unsigned soundType) override { ::MessageBeep(soundType); }

  void PostQuit(int exitCode) override { ::PostQuitMessage(exitCode); }

  intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc) override {
    const auto instance = reinterpret_cast<HINSTANCE>(AppInstance);
    HRSRC found = ::FindResourceW(instance, MAKEINTRESOURCEW(templateId), RT_DIALOG);
    if (found == nullptr) return -1;
    HGLOBAL loaded = ::LoadResource(instance, found);
    if (loaded == nullptr) return -1;
    const auto* dialogTemplate = static_cast<const DLGTEMPLATE*>(::LockResource(loaded));
    pendingProc = proc;
    const INT_PTR result = ::DialogBoxIndirectParamW(instance, dialogTemplate, Hwnd(owner),
                                                     DialogThunk, /*dwInitParam=*/0);
    pendingProc = nullptr;
    return result;
  }

  void EndDialog(WindowRef dialog, intptr_t result) override { ::EndDialog(Hwnd(dialog), result); }

  void SetTitle(WindowRef window, const std::wstring& title) override {
    ::SetWindowTextW(Hwnd(window), title.c_str());
  }

  void SetControlText(WindowRef dialog, int id, const std::wstring& text) override {
    ::SetDlgItemTextW(Hwnd(dialog), id, text.c_str());
  }

  int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars) override {
    return static_cast<int>(::GetDlgItemTextW(Hwnd(dialog), id, buffer, bufferChars));
  }

  void SetControlUnsigned(WindowRef dialog, int id, uint32_t value) override {
    ::SetDlgItemInt(Hwnd(dialog), id, value, /*bSigned=*/FALSE);
  }

  uint32_t GetControlUnsigned(WindowRef dialog, int id) override {
    return ::GetDlgItemInt(Hwnd(dialog), id, /*lpTranslated=*/nullptr, /*bSigned=*/FALSE);
  }

  void SetCheck(WindowRef dialog, int id, bool checked) override {
    ::CheckDlgButton(Hwnd(dialog), id, checked ? BST_CHECKED : BST_UNCHECKED);
  }

  bool IsChecked(WindowRef dialog, int id) override {
    return ::IsDlgButtonChecked(Hwnd(dialog), id) == BST_CHECKED;
  }

  void AddComboText(WindowRef dialog, int id, const std::wstring& text) override {
    ::SendDlgItemMessageW(Hwnd(dialog), id, CB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(text.c_str()));
  }

  void SelectComboEntry(WindowRef dialog, int id, int position) override {
    ::SendDlgItemMessageW(Hwnd(dialog), id, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
  }

  int SelectedComboEntry(WindowRef dialog, int id) override {
    return static_cast<int>(::SendDlgItemMessageW(Hwnd(dialog), id, CB_GETCURSEL, 0, 0));
  }

  WindowRef ControlWindow(WindowRef dialog, int id) override {
    return Ref(::GetDlgItem(Hwnd(dialog), id));
  }

  void SetFocus(WindowRef window) override { ::SetFocus(Hwnd(window)); }

  void SelectAllText(WindowRef edit) override { ::SendMessageW(Hwnd(edit), EM_SETSEL, 0, -1); }
};

}  // namespace

Ui& DefaultUi() {
  static Win32Ui ui;
  return ui;
}

}  // namespace platform
