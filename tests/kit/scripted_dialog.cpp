#include "tests/kit/scripted_dialog.h"

#include <algorithm>

#include "platform/platform.h"

namespace testkit {
namespace {

constexpr uint32_t kTabStop = 0x00010000;  // WS_TABSTOP
constexpr uint32_t kUpperCase = 0x0008;    // ES_UPPERCASE
constexpr uint32_t kDigitsOnly = 0x2000;   // ES_NUMBER
constexpr uint32_t kReadOnly = 0x0800;     // ES_READONLY
constexpr uint32_t kButtonTypeMask = 0x000F;
constexpr uint32_t kAutoRadio = 0x0009;  // BS_AUTORADIOBUTTON
constexpr int kNoId = -1;

}  // namespace

bool ScriptedControl::IsAutoRadio() const {
  return windowClass == L"Button" && (style & kButtonTypeMask) == kAutoRadio;
}

bool ScriptedControl::IsTabStop() const { return (style & kTabStop) != 0; }

void ScriptedControl::SetText(const std::wstring& newText) {
  text = newText;
  if ((style & kUpperCase) != 0) platform::RaiseLetters(text);
  allSelected = false;
}

bool ScriptedControl::Type(const std::wstring& typed) {
  if (!IsEdit() || (style & kReadOnly) != 0) return false;
  if (allSelected) text.clear();
  allSelected = false;
  for (wchar_t ch : typed) {
    if ((style & kDigitsOnly) != 0 && !(ch >= L'0' && ch <= L'9')) continue;
    std::wstring one(1, ch);
    if ((style & kUpperCase) != 0) platform::RaiseLetters(one);
    text += one;
  }
  return true;
}

int ScriptedControl::CopyText(wchar_t* buffer, int bufferChars) const {
  if (bufferChars <= 0) return 0;
  const int n = std::min(static_cast<int>(text.size()), bufferChars - 1);
  std::copy(text.begin(), text.begin() + n, buffer);
  buffer[n] = L'\0';
  return n;
}

uint32_t ScriptedControl::Unsigned() const {
  // strtoul over the first 29 characters, unsigned long being 32 bits:
  // blanks, one sign (a minus wraps), digits; no digits, or a value that does
  // not fit (4294967295 included), gives 0.
  wchar_t first[30];
  CopyText(first, 30);
  const wchar_t* p = first;
  while (*p == L' ' || (*p >= L'\t' && *p <= L'\r')) ++p;
  bool negative = false;
  if (*p == L'+' || *p == L'-') negative = *p++ == L'-';
  if (!(*p >= L'0' && *p <= L'9')) return 0;
  uint64_t value = 0;
  for (; *p >= L'0' && *p <= L'9'; ++p) {
    value = value * 10 + static_cast<uint64_t>(*p - L'0');
    if (value >= 0xFFFFFFFFull) return 0;
  }
  return negative ? static_cast<uint32_t>(0 - value) : static_cast<uint32_t>(value);
}

void ScriptedControl::Select(int position) {
  const bool inRange = position >= 0 && position < static_cast<int>(items.size());
  selection = inRange ? position : -1;
  text = inRange ? items[static_cast<size_t>(position)] : L"";
}

ScriptedDialog::ScriptedDialog(int id, const DialogTemplate& t)
    : templateId(id), name("dialog " + std::to_string(id)), title(t.title) {
  controls.reserve(t.controls.size());
  for (const ControlTemplate& c : t.controls) controls.emplace_back(c);
}

ScriptedControl* ScriptedDialog::Find(int id) {
  if (id == kNoId) return nullptr;
  for (ScriptedControl& c : controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

void ScriptedDialog::CheckInGroup(const ScriptedControl& radio) {
  const size_t at = static_cast<size_t>(&radio - controls.data());
  size_t first = at, last = at;
  while (first > 0 && controls[first - 1].IsAutoRadio()) --first;
  while (last + 1 < controls.size() && controls[last + 1].IsAutoRadio()) ++last;
  for (size_t i = first; i <= last; ++i) controls[i].checked = i == at;
}

void ScriptedDialog::FocusFirstTabStop() {
  for (ScriptedControl& c : controls) {
    if (c.IsTabStop()) {
      focus = &c;
      c.allSelected = c.IsEdit();
      return;
    }
  }
}

DialogSnapshot ScriptedDialog::Snapshot() const {
  DialogSnapshot s;
  s.title = title;
  for (const ScriptedControl& c : controls) {
    if (c.id == kNoId) continue;
    s.texts.emplace_back(c.id, c.text);
    if (c.checked) s.checked.push_back(c.id);
    if (c.IsCombo()) s.selection = c.selection;
  }
  if (focus != nullptr) {
    s.focus = focus->id;
    s.focusAllSelected = focus->allSelected;
  }
  return s;
}

}  // namespace testkit
