// The platform's user interface as one small interface: message boxes,
// sounds, modal dialogs and their controls, the quit request. The build's
// back end gives the real one (platform/win32: the Windows calls;
// platform/host: a headless one for tools); test layers wrap it, overriding
// what they play themselves, and are installed with SetUi. The rest of the
// program calls the free functions at the end, which go to the Ui in use;
// each call is said once, at its method here.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace platform {

class Ui {
 public:
  virtual ~Ui() = default;

  // Shows a modal message box owned by `owner` (nullptr: no owner) and returns
  // the button pressed: kIdOk, or kIdCancel for Cancel and the close box. 0
  // when the box could not be shown. Where there is no screen (the host back
  // end) every box is answered kIdOk.
  virtual int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                             unsigned style) = 0;
  // Sounds `soundType` and returns at once (silence where there is no sound).
  virtual void Beep(unsigned soundType) = 0;
  // Finds dialog template `templateId` in the program's resources, loads it and
  // runs it modally over `owner` with creation parameter 0; the procedure gets
  // kMsgInitDialog with the controls in place. Returns the value given to
  // EndDialog, or -1 when the dialog could not be started (always, where there
  // is no screen). A quit request ends it with 0.
  virtual intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc) = 0;
  // Ends the dialog once its procedure returns; RunDialog gives `result`.
  virtual void EndDialog(WindowRef dialog, intptr_t result) = 0;
  // Sets a window's or dialog's title.
  virtual void SetTitle(WindowRef window, const std::wstring& title) = 0;
  // Replaces a control's text; an edit with the upper-case style raises its
  // letters, as it does for typed ones. Nothing happens for an unknown id.
  virtual void SetControlText(WindowRef dialog, int id, const std::wstring& text) = 0;
  // Copies at most bufferChars - 1 characters and a terminator (longer text is
  // cut) and returns the characters copied; "" for an unknown id.
  virtual int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars) = 0;
  // Sets a control's text to `value` in unsigned decimal.
  virtual void SetControlUnsigned(WindowRef dialog, int id, uint32_t value) = 0;
  // Reads a control's text as an unsigned decimal, as strtoul does with 32
  // bits: leading blanks, one sign (a minus wraps the value round), digits up
  // to the first other character. 0 when there are no digits or the value
  // does not fit (4294967295 included), and for an unknown id; there is no
  // success flag.
  virtual uint32_t GetControlUnsigned(WindowRef dialog, int id) = 0;
  // Sets or clears a button's check mark (radio buttons of a group are not
  // cleared by this call).
  virtual void SetCheck(WindowRef dialog, int id, bool checked) = 0;
  // True when the button is checked; false when it is not and for an unknown id.
  virtual bool IsChecked(WindowRef dialog, int id) = 0;
  // Adds an entry at the end of a combo box's list.
  virtual void AddComboText(WindowRef dialog, int id, const std::wstring& text) = 0;
  // Selects list entry `position`; a position outside the list (negative
  // included) leaves no entry selected.
  virtual void SelectComboEntry(WindowRef dialog, int id, int position) = 0;
  // The selected position, negative when no entry is selected.
  virtual int SelectedComboEntry(WindowRef dialog, int id) = 0;
  // The control's own window, for SetFocus and SelectAllText; nullptr for an
  // unknown id.
  virtual WindowRef ControlWindow(WindowRef dialog, int id) = 0;
  // Gives `window` the keyboard focus; nullptr is ignored.
  virtual void SetFocus(WindowRef window) = 0;
  // Selects the whole text of an edit control, so that typing replaces it.
  virtual void SelectAllText(WindowRef edit) = 0;
  // Posts the quit request that ends the message loop with `exitCode`; a
  // modal dialog open at the time ends first.
  virtual void PostQuit(int exitCode) = 0;
};

// The back end's own Ui, chosen by the build.
Ui& DefaultUi();
// The Ui that the free functions below use.
Ui& CurrentUi();
// Makes `ui` the one in use; nullptr puts the default back. For test layers
// and for tools that show message boxes their own way.
void SetUi(Ui* ui);

// Passes every call to another Ui; a layer overrides what it changes.
class UiWrapper : public Ui {
 public:
  explicit UiWrapper(Ui& target) : target_(target) {}
  Ui& target() const { return target_; }

  int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                     unsigned style) override {
    return target_.ShowMessageBox(owner, text, caption, style);
  }
  void Beep(unsigned soundType) override { target_.Beep(soundType); }
  intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc) override {
    return target_.RunDialog(templateId, owner, proc);
  }
  void EndDialog(WindowRef dialog, intptr_t result) override { target_.EndDialog(dialog, result); }
  void SetTitle(WindowRef window, const std::wstring& title) override {
    target_.SetTitle(window, title);
  }
  void SetControlText(WindowRef dialog, int id, const std::wstring& text) override {
    target_.SetControlText(dialog, id, text);
  }
  int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars) override {
    return target_.GetControlText(dialog, id, buffer, bufferChars);
  }
  void SetControlUnsigned(WindowRef dialog, int id, uint32_t value) override {
    target_.SetControlUnsigned(dialog, id, value);
  }
  uint32_t GetControlUnsigned(WindowRef dialog, int id) override {
    return target_.GetControlUnsigned(dialog, id);
  }
  void SetCheck(WindowRef dialog, int id, bool checked) override {
    target_.SetCheck(dialog, id, checked);
  }
  bool IsChecked(WindowRef dialog, int id) override { return target_.IsChecked(dialog, id); }
  void AddComboText(WindowRef dialog, int id, const std::wstring& text) override {
    target_.AddComboText(dialog, id, text);
  }
  void SelectComboEntry(WindowRef dialog, int id, int position) override {
    target_.SelectComboEntry(dialog, id, position);
  }
  int SelectedComboEntry(WindowRef dialog, int id) override {
    return target_.SelectedComboEntry(dialog, id);
  }
  WindowRef ControlWindow(WindowRef dialog, int id) override {
    return target_.ControlWindow(dialog, id);
  }
  void SetFocus(WindowRef window) override { target_.SetFocus(window); }
  void SelectAllText(WindowRef edit) override { target_.SelectAllText(edit); }
  void PostQuit(int exitCode) override { target_.PostQuit(exitCode); }

 private:
  Ui& target_;
};

// The calls of the program, each to the one in use.
inline int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                          unsigned style) {
  return CurrentUi().ShowMessageBox(owner, text, caption, style);
}
inline void Beep(unsigned soundType) { CurrentUi().Beep(soundType); }
inline intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc) {
  return CurrentUi().RunDialog(templateId, owner, proc);
}
inline void EndDialog(WindowRef dialog, intptr_t result) { CurrentUi().EndDialog(dialog, result); }
inline void SetTitle(WindowRef window, const std::wstring& title) {
  CurrentUi().SetTitle(window, title);
}
inline void SetControlText(WindowRef dialog, int id, const std::wstring& text) {
  CurrentUi().SetControlText(dialog, id, text);
}
inline int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars) {
  return CurrentUi().GetControlText(dialog, id, buffer, bufferChars);
}
inline void SetControlUnsigned(WindowRef dialog, int id, uint32_t value) {
  CurrentUi().SetControlUnsigned(dialog, id, value);
}
inline uint32_t GetControlUnsigned(WindowRef dialog, int id) {
  return CurrentUi().GetControlUnsigned(dialog, id);
}
inline void SetCheck(WindowRef dialog, int id, bool checked) {
  CurrentUi().SetCheck(dialog, id, checked);
}
inline bool IsChecked(WindowRef dialog, int id) { return CurrentUi().IsChecked(dialog, id); }
inline void AddComboText(WindowRef dialog, int id, const std::wstring& text) {
  CurrentUi().AddComboText(dialog, id, text);
}
inline void SelectComboEntry(WindowRef dialog, int id, int position) {
  CurrentUi().SelectComboEntry(dialog, id, position);
}
inline int SelectedComboEntry(WindowRef dialog, int id) {
  return CurrentUi().SelectedComboEntry(dialog, id);
}
inline WindowRef ControlWindow(WindowRef dialog, int id) {
  return CurrentUi().ControlWindow(dialog, id);
}
inline void SetFocus(WindowRef window) { CurrentUi().SetFocus(window); }
inline void SelectAllText(WindowRef edit) { CurrentUi().SelectAllText(edit); }
inline void PostQuit(int exitCode) { CurrentUi().PostQuit(exitCode); }

}  // namespace platform
