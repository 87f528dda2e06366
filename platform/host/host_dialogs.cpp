// Modal dialogs for the host: built from the program's own resource script,
// worked by a scripted user, recorded for the tests. Control operations
// behave as the Windows controls do where the program relies on them
// (checked under Wine): upper-case edits raise set and typed text, digit-only
// edits drop typed non-digits, GetDlgItemInt reads like strtoul on 32 bits,
// an out-of-range list selection selects nothing.
#include <algorithm>
#include <cstdlib>
#include <cwctype>
#include <deque>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "platform/host/host_control.h"
#include "platform/host/host_state.h"
#include "platform/host/host_window.h"

namespace platform {
namespace host {
namespace {

constexpr uint32_t kTabStop = 0x00010000;
constexpr uint32_t kUpperCase = 0x0008;
constexpr uint32_t kDigitsOnly = 0x2000;
constexpr uint32_t kReadOnly = 0x0800;
constexpr uint32_t kButtonTypeMask = 0x000F;
constexpr uint32_t kAutoRadio = 0x0009;
constexpr int kNoId = -1;

struct ControlTemplate {
  int id;
  std::wstring windowClass;  // "Button", "Edit", "Static", "ComboBox"
  uint32_t style;
  std::wstring text;
};

struct DialogTemplate {
  std::wstring title;
  std::vector<ControlTemplate> controls;  // in template (tab) order
};

struct Control : Window {
  Control(Window* dialog, const ControlTemplate& t)
      : Window("control " + std::to_string(t.id)),
        parent(dialog),
        id(t.id),
        windowClass(t.windowClass),
        style(t.style),
        text(t.text) {}
  Window* parent;
  int id;
  std::wstring windowClass;
  uint32_t style;
  std::wstring text;
  bool checked = false;
  bool allSelected = false;
  std::vector<std::wstring> items;
  int selection = -1;

  bool IsEdit() const { return windowClass == L"Edit"; }
  bool IsCombo() const { return windowClass == L"ComboBox"; }
  bool IsAutoRadio() const {
    return windowClass == L"Button" && (style & kButtonTypeMask) == kAutoRadio;
  }
};

struct Dialog : Window {
  explicit Dialog(int templateId) : Window("dialog " + std::to_string(templateId)) {}
  std::vector<std::unique_ptr<Control>> controls;
  std::wstring title;
  Control* focus = nullptr;
  bool ended = false;
  intptr_t result = 0;
  size_t run = 0;  // index into DialogRuns

  Control* Find(int id) const {
    for (const auto& c : controls) {
      if (c->id == id && id != kNoId) return c.get();
    }
    return nullptr;
  }
};

struct DialogState {
  std::map<int, DialogTemplate> templates;
  std::deque<DialogScript> scripts;
  std::vector<DialogRun> runs;
  std::vector<std::string> errors;
};

DialogState& Dialogs() {
  static DialogState state;
  return state;
}

Dialog* AsDialog(WindowRef window) { return dynamic_cast<Dialog*>(window); }
Control* AsControl(WindowRef window) { return dynamic_cast<Control*>(window); }

Control* ControlOf(WindowRef dialog, int id) {
  Dialog* d = AsDialog(dialog);
  return d == nullptr ? nullptr : d->Find(id);
}

std::wstring Raise(const Control& c, std::wstring text) {
  if ((c.style & kUpperCase) != 0) RaiseLetters(text);
  return text;
}

void Snapshot(const Dialog& d) {
  DialogSnapshot s;
  s.title = d.title;
  for (const auto& c : d.controls) {
    if (c->id == kNoId) continue;
    s.texts.emplace_back(c->id, c->text);
    if (c->checked) s.checked.push_back(c->id);
    if (c->IsCombo()) s.selection = c->selection;
  }
  if (d.focus != nullptr) {
    s.focus = d.focus->id;
    s.focusAllSelected = d.focus->allSelected;
  }
  Dialogs().runs[d.run].snapshots.push_back(s);
}

void Command(Dialog& d, DialogProc proc, int id) {
  proc(&d, kMsgCommand, static_cast<uintptr_t>(id) & 0xFFFF,
       reinterpret_cast<intptr_t>(d.Find(id)));
}

void Perform(Dialog& d, DialogProc proc, const DialogScript::Step& step) {
  using Kind = DialogScript::Step::Kind;
  if (step.kind == Kind::kClose) {
    // Unhandled, the close box becomes Cancel, as the dialog manager does it.
    if (proc(&d, kMsgClose, 0, 0) == 0 && d.Find(kIdCancel) != nullptr) {
      Command(d, proc, kIdCancel);
    }
    return;
  }
  Control* c = d.Find(step.id);
  if (c == nullptr) {
    Dialogs().errors.push_back(d.name + " has no control " + std::to_string(step.id));
    return;
  }
  switch (step.kind) {
    case Kind::kType:
      if (!c->IsEdit() || (c->style & kReadOnly) != 0) return;
      if (c->allSelected) c->text.clear();
      c->allSelected = false;
      for (wchar_t ch : step.text) {
        if ((c->style & kDigitsOnly) != 0 && !(ch >= L'0' && ch <= L'9')) continue;
        c->text += Raise(*c, std::wstring(1, ch));
      }
      d.focus = c;
      return;
    case Kind::kSetText:
      c->text = Raise(*c, step.text);
      c->allSelected = false;
      return;
    case Kind::kPick:
      SelectComboEntry(&d, step.id, step.position);
      return;
    case Kind::kClick:
      if (c->IsAutoRadio()) {
        // The group: the run of auto radio buttons around this one.
        size_t at = 0;
        while (d.controls[at].get() != c) ++at;
        size_t first = at, last = at;
        while (first > 0 && d.controls[first - 1]->IsAutoRadio()) --first;
        while (last + 1 < d.controls.size() && d.controls[last + 1]->IsAutoRadio()) ++last;
        for (size_t i = first; i <= last; ++i) d.controls[i]->checked = d.controls[i].get() == c;
      }
      d.focus = c;
      Command(d, proc, step.id);
      return;
    case Kind::kClose:
      return;
  }
}

// Reads a compiled resource file (.res) as the resource compiler writes it:
// a run of resources, each a header (sizes, type, name, flags) and its data,
// both padded to four bytes. Every value is little-endian.
class ResReader {
 public:
  explicit ResReader(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool Done() const { return at_ >= bytes_.size(); }
  bool Ok() const { return ok_; }
  size_t At() const { return at_; }
  void Seek(size_t at) {
    at_ = at;
    if (at_ > bytes_.size()) ok_ = false;
  }
  void Align() { Seek((at_ + 3) & ~size_t{3}); }
  uint16_t U16() {
    if (at_ + 2 > bytes_.size()) return Fail();
    const uint16_t v = static_cast<uint16_t>(bytes_[at_] | bytes_[at_ + 1] << 8);
    at_ += 2;
    return v;
  }
  uint32_t U32() { return U16() | uint32_t{U16()} << 16; }
  // A name or ordinal: 0xFFFF and a number, or a zero-terminated UTF-16 text
  // (0 alone: none). `*ordinal` is -1 for a text.
  std::wstring NameOrOrdinal(int* ordinal) {
    *ordinal = -1;
    const uint16_t first = U16();
    if (first == 0xFFFF) {
      *ordinal = U16();
      return L"";
    }
    std::wstring text;
    for (uint16_t unit = first; ok_ && unit != 0; unit = U16()) text += static_cast<wchar_t>(unit);
    return text;
  }

 private:
  uint16_t Fail() {
    ok_ = false;
    at_ = bytes_.size();
    return 0;
  }
  std::vector<uint8_t> bytes_;
  size_t at_ = 0;
  bool ok_ = true;
};

constexpr int kDialogResource = 5;   // RT_DIALOG
constexpr uint32_t kSetFont = 0x40;  // DS_SETFONT: the template names a font

// The class of a control: a predefined class's ordinal, or its name in any
// case (the resource compiler writes "EDIT" for "Edit").
std::wstring ControlClass(int ordinal, const std::wstring& name) {
  static const wchar_t* const kPredefined[] = {L"Button",  L"Edit",      L"Static",
                                               L"ListBox", L"ScrollBar", L"ComboBox"};
  if (ordinal >= 0x80 && ordinal < 0x80 + 6) return kPredefined[ordinal - 0x80];
  for (const wchar_t* known : kPredefined) {
    const std::wstring k = known;
    if (k.size() == name.size() &&
        std::equal(k.begin(), k.end(), name.begin(),
                   [](wchar_t a, wchar_t b) { return std::towupper(a) == std::towupper(b); })) {
      return k;
    }
  }
  return name;
}

// An extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX
// items) starting at the reader's position. False when it is not one.
bool ReadDialog(ResReader& in, DialogTemplate* dialog) {
  if (in.U16() != 1 || in.U16() != 0xFFFF) return false;  // version, signature
  in.U32();                                               // help id
  in.U32();                                               // extended style
  const uint32_t style = in.U32();
  const uint16_t items = in.U16();
  for (int i = 0; i < 4; ++i) in.U16();  // x, y, width, height
  int ordinal;
  in.NameOrOrdinal(&ordinal);  // menu
  in.NameOrOrdinal(&ordinal);  // class
  dialog->title = in.NameOrOrdinal(&ordinal);
  if ((style & kSetFont) != 0) {
    in.U16();  // point size
    in.U16();  // weight
    in.U16();  // italic, character set
    in.NameOrOrdinal(&ordinal);
  }
  for (uint16_t i = 0; in.Ok() && i < items; ++i) {
    in.Align();
    ControlTemplate c;
    in.U32();  // help id
    in.U32();  // extended style
    c.style = in.U32();
    for (int k = 0; k < 4; ++k) in.U16();  // x, y, width, height
    c.id = static_cast<int32_t>(in.U32());
    const std::wstring className = in.NameOrOrdinal(&ordinal);
    c.windowClass = ControlClass(ordinal, className);
    c.text = in.NameOrOrdinal(&ordinal);  // an ordinal: an icon's resource id
    const uint16_t extra = in.U16();
    in.Seek(in.At() + extra);
    dialog->controls.push_back(c);
  }
  return in.Ok();
}

}  // namespace

bool LoadDialogTemplates(const std::string& resPath) {
  std::ifstream file(resPath, std::ios::binary);
  if (!file) return false;
  std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file),
                             std::istreambuf_iterator<char>()};
  ResReader in(std::move(bytes));
  std::map<int, DialogTemplate> templates;
  while (!in.Done()) {
    const size_t start = in.At();
    const uint32_t dataSize = in.U32();
    const uint32_t headerSize = in.U32();
    int type, name;
    in.NameOrOrdinal(&type);
    in.NameOrOrdinal(&name);
    const size_t data = start + headerSize;
    if (!in.Ok() || headerSize < 8 || data + dataSize < data) return false;
    if (type == kDialogResource) {
      in.Seek(data);
      if (name < 0 || !ReadDialog(in, &templates[name])) return false;
    }
    in.Seek(data + dataSize);
    in.Align();
    if (!in.Ok()) return false;
  }
  Dialogs().templates = std::move(templates);
  return !Dialogs().templates.empty();
}

DialogScript& DialogScript::Type(int id, const std::wstring& text) {
  steps_.push_back({Step::Kind::kType, id, text, 0});
  return *this;
}
DialogScript& DialogScript::SetText(int id, const std::wstring& text) {
  steps_.push_back({Step::Kind::kSetText, id, text, 0});
  return *this;
}
DialogScript& DialogScript::Pick(int id, int position) {
  steps_.push_back({Step::Kind::kPick, id, L"", position});
  return *this;
}
DialogScript& DialogScript::Click(int id) {
  steps_.push_back({Step::Kind::kClick, id, L"", 0});
  return *this;
}
DialogScript& DialogScript::Close() {
  steps_.push_back({Step::Kind::kClose, 0, L"", 0});
  return *this;
}

std::wstring DialogSnapshot::Text(int id) const {
  for (const auto& [controlId, text] : texts) {
    if (controlId == id) return text;
  }
  return L"<no control " + std::to_wstring(id) + L">";
}

void QueueDialog(const DialogScript& script) { Dialogs().scripts.push_back(script); }
const std::vector<DialogRun>& DialogRuns() { return Dialogs().runs; }
const std::vector<std::string>& ScriptErrors() { return Dialogs().errors; }
size_t UnusedDialogScripts() { return Dialogs().scripts.size(); }

void ResetDialogs() {
  DialogState& s = Dialogs();
  s.scripts.clear();
  s.runs.clear();
  s.errors.clear();
}

}  // namespace host

intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc) {
  host::DialogState& s = host::Dialogs();
  const auto found = s.templates.find(templateId);
  if (found == s.templates.end()) {
    s.errors.push_back("no template for dialog " + std::to_string(templateId));
    return -1;
  }
  host::Dialog d(templateId);
  d.title = found->second.title;
  for (const host::ControlTemplate& t : found->second.controls) {
    d.controls.push_back(std::make_unique<host::Control>(&d, t));
  }
  host::UiEvent event;
  event.kind = host::UiEvent::Kind::kDialog;
  event.sound = static_cast<unsigned>(templateId);
  event.owner = owner == nullptr ? "none" : owner->name;
  host::State().events.push_back(event);
  d.run = s.runs.size();
  s.runs.push_back(host::DialogRun{templateId, event.owner, {}, 0});

  // A dialog procedure that leaves the focus to the dialog manager gets it
  // placed on the first tab stop, with an edit's text selected.
  if (proc(&d, kMsgInitDialog, 0, 0) != 0) {
    for (const auto& c : d.controls) {
      if ((c->style & host::kTabStop) != 0) {
        d.focus = c.get();
        d.focus->allSelected = c->IsEdit();
        break;
      }
    }
  }
  host::Snapshot(d);

  if (s.scripts.empty()) {
    s.errors.push_back("no script for " + d.name);
  } else {
    const host::DialogScript script = s.scripts.front();
    s.scripts.pop_front();
    if (script.templateId() != templateId) {
      s.errors.push_back("expected dialog " + std::to_string(script.templateId()) + ", met " +
                         d.name);
    } else {
      for (const auto& step : script.steps()) {
        if (d.ended) break;
        host::Perform(d, proc, step);
        host::Snapshot(d);
        // The quit request ends a modal dialog's loop, as on Windows.
        if (!d.ended && host::QuitRequested()) {
          d.ended = true;
          d.result = 0;
        }
      }
    }
  }
  if (!d.ended) {
    s.errors.push_back(d.name + " was still open at the end of its script");
    proc(&d, kMsgClose, 0, 0);
    if (!d.ended) d.result = 0;
  }
  s.runs[d.run].result = d.result;
  return d.result;
}

void EndDialog(WindowRef dialog, intptr_t result) {
  if (host::Dialog* d = host::AsDialog(dialog)) {
    d->ended = true;
    d->result = result;
  }
}

void SetTitle(WindowRef window, const std::wstring& title) {
  if (host::Dialog* d = host::AsDialog(window)) d->title = title;
}

void SetControlText(WindowRef dialog, int id, const std::wstring& text) {
  if (host::Control* c = host::ControlOf(dialog, id)) {
    c->text = host::Raise(*c, text);
    c->allSelected = false;
  }
}

int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars) {
  if (bufferChars <= 0) return 0;
  host::Control* c = host::ControlOf(dialog, id);
  const std::wstring text = c == nullptr ? L"" : c->text;
  const int n = std::min(static_cast<int>(text.size()), bufferChars - 1);
  std::copy(text.begin(), text.begin() + n, buffer);
  buffer[n] = L'\0';
  return n;
}

void SetControlUnsigned(WindowRef dialog, int id, uint32_t value) {
  SetControlText(dialog, id, std::to_wstring(value));
}

uint32_t GetControlUnsigned(WindowRef dialog, int id) {
  // strtoul over the first 29 characters, unsigned long being 32 bits:
  // blanks, one sign (a minus wraps), digits; no digits, or a value that does
  // not fit (4294967295 included), gives 0.
  wchar_t text[30];
  GetControlText(dialog, id, text, 30);
  const wchar_t* p = text;
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

void SetCheck(WindowRef dialog, int id, bool checked) {
  if (host::Control* c = host::ControlOf(dialog, id)) c->checked = checked;
}

bool IsChecked(WindowRef dialog, int id) {
  host::Control* c = host::ControlOf(dialog, id);
  return c != nullptr && c->checked;
}

void AddComboText(WindowRef dialog, int id, const std::wstring& text) {
  if (host::Control* c = host::ControlOf(dialog, id)) c->items.push_back(text);
}

void SelectComboEntry(WindowRef dialog, int id, int position) {
  host::Control* c = host::ControlOf(dialog, id);
  if (c == nullptr) return;
  const bool inRange = position >= 0 && position < static_cast<int>(c->items.size());
  c->selection = inRange ? position : -1;
  c->text = inRange ? c->items[static_cast<size_t>(position)] : L"";
}

int SelectedComboEntry(WindowRef dialog, int id) {
  host::Control* c = host::ControlOf(dialog, id);
  return c == nullptr ? -1 : c->selection;
}

WindowRef ControlWindow(WindowRef dialog, int id) { return host::ControlOf(dialog, id); }

void SetFocus(WindowRef window) {
  if (host::Control* c = host::AsControl(window)) {
    static_cast<host::Dialog*>(c->parent)->focus = c;
  }
}

void SelectAllText(WindowRef edit) {
  if (host::Control* c = host::AsControl(edit)) c->allSelected = true;
}

}  // namespace platform
