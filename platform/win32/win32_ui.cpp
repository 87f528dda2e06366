// Message boxes, beeps, the quit request and modal dialogs from the
// program's dialog templates.
#include <windows.h>

#include "platform/app_handles.h"
#include "platform/platform.h"

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

}  // namespace

int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                   unsigned style) {
  return ::MessageBoxW(Hwnd(owner), text.c_str(), caption.c_str(), style);
}

void Beep(unsigned soundType) { ::MessageBeep(soundType); }

void PostQuit(int exitCode) { ::PostQuitMessage(exitCode); }

intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc) {
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

void EndDialog(WindowRef dialog, intptr_t result) { ::EndDialog(Hwnd(dialog), result); }

void SetTitle(WindowRef window, const std::wstring& title) {
  ::SetWindowTextW(Hwnd(window), title.c_str());
}

void SetControlText(WindowRef dialog, int id, const std::wstring& text) {
  ::SetDlgItemTextW(Hwnd(dialog), id, text.c_str());
}

int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars) {
  return static_cast<int>(::GetDlgItemTextW(Hwnd(dialog), id, buffer, bufferChars));
}

void SetControlUnsigned(WindowRef dialog, int id, uint32_t value) {
  ::SetDlgItemInt(Hwnd(dialog), id, value, /*bSigned=*/FALSE);
}

uint32_t GetControlUnsigned(WindowRef dialog, int id) {
  return ::GetDlgItemInt(Hwnd(dialog), id, /*lpTranslated=*/nullptr, /*bSigned=*/FALSE);
}

void SetCheck(WindowRef dialog, int id, bool checked) {
  ::CheckDlgButton(Hwnd(dialog), id, checked ? BST_CHECKED : BST_UNCHECKED);
}

bool IsChecked(WindowRef dialog, int id) {
  return ::IsDlgButtonChecked(Hwnd(dialog), id) == BST_CHECKED;
}

void AddComboText(WindowRef dialog, int id, const std::wstring& text) {
  ::SendDlgItemMessageW(Hwnd(dialog), id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

void SelectComboEntry(WindowRef dialog, int id, int position) {
  ::SendDlgItemMessageW(Hwnd(dialog), id, CB_SETCURSEL, static_cast<WPARAM>(position), 0);
}

int SelectedComboEntry(WindowRef dialog, int id) {
  return static_cast<int>(::SendDlgItemMessageW(Hwnd(dialog), id, CB_GETCURSEL, 0, 0));
}

WindowRef ControlWindow(WindowRef dialog, int id) { return Ref(::GetDlgItem(Hwnd(dialog), id)); }

void SetFocus(WindowRef window) { ::SetFocus(Hwnd(window)); }

void SelectAllText(WindowRef edit) { ::SendMessageW(Hwnd(edit), EM_SETSEL, 0, -1); }

}  // namespace platform
