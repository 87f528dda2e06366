// A dialog as the scripted user works it: controls built from the program's
// template, behaving as the Windows controls do where the program relies on
// it (checked under Wine): upper-case edits raise set and typed text,
// digit-only edits drop typed non-digits, GetDlgItemInt reads like strtoul
// on 32 bits, GetDlgItemText cuts at the buffer, an out-of-range list
// selection selects nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tests/kit/dialog_script.h"
#include "tests/kit/dialog_templates.h"

namespace testkit {

struct ScriptedControl {
  explicit ScriptedControl(const ControlTemplate& t)
      : id(t.id), windowClass(t.windowClass), style(t.style), text(t.text) {}

  bool IsEdit() const { return windowClass == L"Edit"; }
  bool IsCombo() const { return windowClass == L"ComboBox"; }
  bool IsAutoRadio() const;
  bool IsTabStop() const;

  // Replaces the text, as WM_SETTEXT does.
  void SetText(const std::wstring& newText);
  // Types `typed` as the keyboard would; false when the control takes no
  // typing (no edit, or read-only).
  bool Type(const std::wstring& typed);
  // Copies at most bufferChars - 1 characters and a terminator; the count.
  int CopyText(wchar_t* buffer, int bufferChars) const;
  // The text as GetDlgItemInt reads it without sign.
  uint32_t Unsigned() const;
  // Selects list entry `position` (none when out of range), its text shown.
  void Select(int position);

  int id;  // -1: none
  std::wstring windowClass;
  uint32_t style;
  std::wstring text;
  bool checked = false;
  bool allSelected = false;
  std::vector<std::wstring> items;
  int selection = -1;
};

struct ScriptedDialog {
  ScriptedDialog(int templateId, const DialogTemplate& t);

  // The control with id `id`; nullptr when there is none.
  ScriptedControl* Find(int id);
  // Checks auto radio button `radio` and clears the others of its group
  // (the run of auto radio buttons around it).
  void CheckInGroup(const ScriptedControl& radio);
  // Where the dialog manager puts the focus when the procedure leaves it:
  // the first tab stop, an edit's text selected.
  void FocusFirstTabStop();
  DialogSnapshot Snapshot() const;

  int templateId;
  std::string name;  // "dialog <id>"
  std::wstring title;
  std::vector<ScriptedControl> controls;  // in tab order; never resized
  ScriptedControl* focus = nullptr;
  bool ended = false;
  intptr_t result = 0;
};

}  // namespace testkit
