// The platform's user interface as one small interface: message boxes,
// sounds, modal dialogs and their controls, the quit request. The build's
// back end gives the real one (platform/win32: the Windows calls;
// platform/host: a headless one for tools); test layers wrap it, overriding
// what they play themselves, and are installed with SetUi. The rest of the
// program calls the free functions of platform.h, which go to the Ui in use.
// Each call does what the free function of the same name in platform.h says.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace platform {

class Ui {
 public:
  virtual ~Ui() = default;

  // The button pressed (kIdOk, kIdCancel); 0 when the box could not be shown.
  virtual int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                             unsigned style) = 0;
  virtual void Beep(unsigned soundType) = 0;
  // The value given to EndDialog; -1 when the dialog could not be started.
  virtual intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc) = 0;
  virtual void EndDialog(WindowRef dialog, intptr_t result) = 0;
  virtual void SetTitle(WindowRef window, const std::wstring& title) = 0;
  virtual void SetControlText(WindowRef dialog, int id, const std::wstring& text) = 0;
  // The characters copied, the text cut at bufferChars - 1; "" and 0 for an
  // unknown id.
  virtual int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars) = 0;
  virtual void SetControlUnsigned(WindowRef dialog, int id, uint32_t value) = 0;
  // 0 without digits, for a value that does not fit and for an unknown id.
  virtual uint32_t GetControlUnsigned(WindowRef dialog, int id) = 0;
  virtual void SetCheck(WindowRef dialog, int id, bool checked) = 0;
  // False when unchecked and for an unknown id.
  virtual bool IsChecked(WindowRef dialog, int id) = 0;
  virtual void AddComboText(WindowRef dialog, int id, const std::wstring& text) = 0;
  virtual void SelectComboEntry(WindowRef dialog, int id, int position) = 0;
  // Negative when no entry is selected.
  virtual int SelectedComboEntry(WindowRef dialog, int id) = 0;
  // nullptr for an unknown id.
  virtual WindowRef ControlWindow(WindowRef dialog, int id) = 0;
  virtual void SetFocus(WindowRef window) = 0;
  virtual void SelectAllText(WindowRef edit) = 0;
  virtual void PostQuit(int exitCode) = 0;
};

// The back end's own Ui, chosen by the build.
Ui& DefaultUi();
// The Ui that the free functions of platform.h use.
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

}  // namespace platform
