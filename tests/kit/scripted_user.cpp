#include "tests/kit/scripted_user.h"

#include <deque>

#include "tests/kit/dialog_templates.h"
#include "tests/kit/scripted_dialog.h"

namespace testkit {
namespace {

using platform::DialogProc;
using platform::WindowRef;

// The scripted user's windows are its own objects; a WindowRef names one by
// its address.
template <typename T>
WindowRef Ref(T* object) {
  return reinterpret_cast<WindowRef>(object);
}

class Scripted : public platform::UiWrapper {
 public:
  Scripted() : UiWrapper(platform::DefaultUi()) {}

  // ---- What tests ask ----

  DialogTemplates templates;
  std::deque<DialogScript> scripts;
  std::vector<DialogRun> runs;
  std::vector<std::string> errors;
  std::vector<UiEvent> events;
  std::deque<int> answers;
  bool quit = false;
  int quitCode = 0;

  void Reset() {
    scripts.clear();
    runs.clear();
    errors.clear();
    events.clear();
    answers.clear();
    quit = false;
    quitCode = 0;
  }

  WindowRef Main() {
    static char mainWindow;
    return Ref(&mainWindow);
  }

  // ---- The Ui ----

  int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                     unsigned style) override {
    UiEvent event;
    event.kind = UiEvent::Kind::kMessageBox;
    event.text = text;
    event.caption = caption;
    event.style = style;
    event.owner = Name(owner);
    events.push_back(event);
    if (answers.empty()) return platform::kIdOk;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  void Beep(unsigned soundType) override {
    UiEvent event;
    event.kind = UiEvent::Kind::kBeep;
    event.sound = soundType;
    events.push_back(event);
  }

  void PostQuit(int exitCode) override {
    quit = true;
    quitCode = exitCode;
  }

  intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc) override;

  void EndDialog(WindowRef dialog, intptr_t result) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().EndDialog(dialog, result);
    d->ended = true;
    d->result = result;
  }

  void SetTitle(WindowRef window, const std::wstring& title) override {
    ScriptedDialog* d = DialogOf(window);
    if (d == nullptr) return target().SetTitle(window, title);
    d->title = title;
  }

  void SetControlText(WindowRef dialog, int id, const std::wstring& text) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().SetControlText(dialog, id, text);
    if (ScriptedControl* c = d->Find(id)) c->SetText(text);
  }

  int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().GetControlText(dialog, id, buffer, bufferChars);
    if (ScriptedControl* c = d->Find(id)) return c->CopyText(buffer, bufferChars);
    if (bufferChars > 0) buffer[0] = L'\0';
    return 0;
  }

  void SetControlUnsigned(WindowRef dialog, int id, uint32_t value) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().SetControlUnsigned(dialog, id, value);
    if (ScriptedControl* c = d->Find(id)) c->SetText(std::to_wstring(value));
  }

  uint32_t GetControlUnsigned(WindowRef dialog, int id) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().GetControlUnsigned(dialog, id);
    const ScriptedControl* c = d->Find(id);
    return c == nullptr ? 0 : c->Unsigned();
  }

  void SetCheck(WindowRef dialog, int id, bool checked) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().SetCheck(dialog, id, checked);
    if (ScriptedControl* c = d->Find(id)) c->checked = checked;
  }

  bool IsChecked(WindowRef dialog, int id) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().IsChecked(dialog, id);
    const ScriptedControl* c = d->Find(id);
    return c != nullptr && c->checked;
  }

  void AddComboText(WindowRef dialog, int id, const std::wstring& text) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().AddComboText(dialog, id, text);
    if (ScriptedControl* c = d->Find(id)) c->items.push_back(text);
  }

  void SelectComboEntry(WindowRef dialog, int id, int position) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().SelectComboEntry(dialog, id, position);
    if (ScriptedControl* c = d->Find(id)) c->Select(position);
  }

  int SelectedComboEntry(WindowRef dialog, int id) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().SelectedComboEntry(dialog, id);
    const ScriptedControl* c = d->Find(id);
    return c == nullptr ? -1 : c->selection;
  }

  WindowRef ControlWindow(WindowRef dialog, int id) override {
    ScriptedDialog* d = DialogOf(dialog);
    if (d == nullptr) return target().ControlWindow(dialog, id);
    ScriptedControl* c = d->Find(id);
    return c == nullptr ? nullptr : Ref(c);
  }

  void SetFocus(WindowRef window) override {
    ScriptedDialog* d = nullptr;
    ScriptedControl* c = ControlOf(window, &d);
    if (c == nullptr) return target().SetFocus(window);
    d->focus = c;
  }

  void SelectAllText(WindowRef edit) override {
    ScriptedControl* c = ControlOf(edit, nullptr);
    if (c == nullptr) return target().SelectAllText(edit);
    c->allSelected = true;
  }

 private:
  // The open dialog `window` names; nullptr when it names none.
  ScriptedDialog* DialogOf(WindowRef window) const {
    for (ScriptedDialog* d : open_) {
      if (Ref(d) == window) return d;
    }
    return nullptr;
  }
  // The control of an open dialog that `window` names, and that dialog.
  ScriptedControl* ControlOf(WindowRef window, ScriptedDialog** dialog) const {
    for (ScriptedDialog* d : open_) {
      for (ScriptedControl& c : d->controls) {
        if (Ref(&c) != window) continue;
        if (dialog != nullptr) *dialog = d;
        return &c;
      }
    }
    return nullptr;
  }
  std::string Name(WindowRef window) {
    if (window == nullptr) return "none";
    if (window == Main()) return "main";
    if (const ScriptedDialog* d = DialogOf(window)) return d->name;
    if (const ScriptedControl* c = ControlOf(window, nullptr)) {
      return "control " + std::to_string(c->id);
    }
    return "a window of the back end";
  }

  void Command(ScriptedDialog& d, DialogProc proc, int id) {
    ScriptedControl* c = d.Find(id);
    proc(Ref(&d), platform::kMsgCommand, static_cast<uintptr_t>(id) & 0xFFFF,
         c == nullptr ? 0 : reinterpret_cast<intptr_t>(Ref(c)));
  }
  void Perform(ScriptedDialog& d, DialogProc proc, const DialogScript::Step& step);

  std::vector<ScriptedDialog*> open_;  // the dialogs running, innermost last
};

void Scripted::Perform(ScriptedDialog& d, DialogProc proc, const DialogScript::Step& step) {
  using Kind = DialogScript::Step::Kind;
  if (step.kind == Kind::kClose) {
    // Unhandled, the close box becomes Cancel, as the dialog manager does it.
    if (proc(Ref(&d), platform::kMsgClose, 0, 0) == 0 && d.Find(platform::kIdCancel) != nullptr) {
      Command(d, proc, platform::kIdCancel);
    }
    return;
  }
  ScriptedControl* c = d.Find(step.id);
  if (c == nullptr) {
    errors.push_back(d.name + " has no control " + std::to_string(step.id));
    return;
  }
  switch (step.kind) {
    case Kind::kType:
      if (c->Type(step.text)) d.focus = c;
      return;
    case Kind::kSetText:
      c->SetText(step.text);
      return;
    case Kind::kPick:
      c->Select(step.position);
      return;
    case Kind::kClick:
      if (c->IsAutoRadio()) d.CheckInGroup(*c);
      d.focus = c;
      Command(d, proc, step.id);
      return;
    case Kind::kClose:
      return;
  }
}

intptr_t Scripted::RunDialog(int templateId, WindowRef owner, DialogProc proc) {
  const auto found = templates.find(templateId);
  if (found == templates.end()) {
    errors.push_back("no template for dialog " + std::to_string(templateId));
    return -1;
  }
  ScriptedDialog d(templateId, found->second);
  UiEvent event;
  event.kind = UiEvent::Kind::kDialog;
  event.sound = static_cast<unsigned>(templateId);
  event.owner = Name(owner);
  events.push_back(event);
  const size_t run = runs.size();
  runs.push_back(DialogRun{templateId, event.owner, {}, 0});
  open_.push_back(&d);

  // A dialog procedure that leaves the focus to the dialog manager gets it
  // placed on the first tab stop.
  if (proc(Ref(&d), platform::kMsgInitDialog, 0, 0) != 0) d.FocusFirstTabStop();
  runs[run].snapshots.push_back(d.Snapshot());

  if (scripts.empty()) {
    errors.push_back("no script for " + d.name);
  } else {
    const DialogScript script = scripts.front();
    scripts.pop_front();
    if (script.templateId() != templateId) {
      errors.push_back("expected dialog " + std::to_string(script.templateId()) + ", met " +
                       d.name);
    } else {
      for (const auto& step : script.steps()) {
        if (d.ended) break;
        Perform(d, proc, step);
        runs[run].snapshots.push_back(d.Snapshot());
        // The quit request ends a modal dialog's loop, as on Windows.
        if (!d.ended && quit) {
          d.ended = true;
          d.result = 0;
        }
      }
    }
  }
  if (!d.ended) {
    errors.push_back(d.name + " was still open at the end of its script");
    proc(Ref(&d), platform::kMsgClose, 0, 0);
    if (!d.ended) d.result = 0;
  }
  open_.pop_back();
  runs[run].result = d.result;
  return d.result;
}

Scripted& User() {
  static Scripted user;
  return user;
}

}  // namespace

platform::Ui& ScriptedUser() { return User(); }

bool LoadDialogTemplates(const std::string& resPath) {
  DialogTemplates templates;
  if (!ReadDialogTemplates(resPath, &templates) || templates.empty()) return false;
  User().templates = std::move(templates);
  return true;
}

void QueueDialog(const DialogScript& script) { User().scripts.push_back(script); }
const std::vector<DialogRun>& DialogRuns() { return User().runs; }
const std::vector<std::string>& ScriptErrors() { return User().errors; }
size_t UnusedDialogScripts() { return User().scripts.size(); }

const std::vector<UiEvent>& Events() { return User().events; }
void QueueMessageBoxAnswer(int answer) { User().answers.push_back(answer); }
size_t UnusedMessageBoxAnswers() { return User().answers.size(); }

platform::WindowRef MainWindowStandIn() { return User().Main(); }

bool QuitRequested(int* exitCode) {
  if (exitCode != nullptr) *exitCode = User().quitCode;
  return User().quit;
}

void ResetScriptedUser() { User().Reset(); }

}  // namespace testkit
