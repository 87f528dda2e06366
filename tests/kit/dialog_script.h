// What a test tells the scripted user to do in a dialog, and what it reads
// back of the dialogs that ran.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace testkit {

// What the user does in one dialog, step by step, once it has initialised.
class DialogScript {
 public:
  struct Step {
    enum class Kind { kType, kSetText, kPick, kClick, kClose };
    Kind kind;
    int id = 0;
    std::wstring text;
    int position = 0;
  };
  // `templateId`: the dialog this script expects to meet.
  explicit DialogScript(int templateId) : templateId_(templateId) {}
  // Types into an edit control as the keyboard would: read-only controls
  // ignore it, digit-only controls drop other characters, upper-case
  // controls raise letters, and a selected text is replaced.
  DialogScript& Type(int id, const std::wstring& text) { return Add(Step::Kind::kType, id, text); }
  // Replaces a control's text (as WM_SETTEXT does; upper-case controls raise).
  DialogScript& SetText(int id, const std::wstring& text) {
    return Add(Step::Kind::kSetText, id, text);
  }
  // Picks list entry `position` of a combo box.
  DialogScript& Pick(int id, int position) { return Add(Step::Kind::kPick, id, L"", position); }
  // Clicks a button: push buttons send their command, radio buttons check
  // themselves (clearing their group) and send theirs.
  DialogScript& Click(int id) { return Add(Step::Kind::kClick, id); }
  // The close box.
  DialogScript& Close() { return Add(Step::Kind::kClose, 0); }

  int templateId() const { return templateId_; }
  const std::vector<Step>& steps() const { return steps_; }

 private:
  DialogScript& Add(Step::Kind kind, int id, const std::wstring& text = L"", int position = 0) {
    steps_.push_back({kind, id, text, position});
    return *this;
  }
  int templateId_;
  std::vector<Step> steps_;
};

// What a dialog showed: taken after its initialisation and after each step.
struct DialogSnapshot {
  std::wstring title;
  std::vector<std::pair<int, std::wstring>> texts;  // every control with an id
  int focus = 0;                                    // id of the focused control, 0: none
  bool focusAllSelected = false;                    // its whole text selected
  int selection = -1;                               // the combo box's selected entry
  std::vector<int> checked;                         // ids of checked buttons
  // The text of control `id`, or "<no control id>".
  std::wstring Text(int id) const {
    for (const auto& [controlId, text] : texts) {
      if (controlId == id) return text;
    }
    return L"<no control " + std::to_wstring(id) + L">";
  }
};

// One dialog that ran: which, over which owner ("none", "main",
// "dialog <id>"), what it showed, and what it returned.
struct DialogRun {
  int templateId = 0;
  std::string owner;
  std::vector<DialogSnapshot> snapshots;
  intptr_t result = 0;
};

}  // namespace testkit
