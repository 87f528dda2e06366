// What tests and host tools can do to the host back end: choose the folder
// that bare file names resolve in, script the storage card, and read back
// every message box and beep the program produced. File and allocation
// faults come from test layers wrapped around the Env (platform/env.h).
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::host {

// ---- Files ---------------------------------------------------------------

// Relative paths (such as "film.dat") resolve inside this folder; empty means
// the process's working folder. Backslashes in paths are folder separators.
void SetWorkingFolder(const std::string& folder);
std::string HostPath(const std::wstring& path);

// ---- Storage card ----------------------------------------------------------

enum class CardState { kAbsent, kPresent, kUnreadable };
// kPresent: the card's folder name is `folder`. kUnreadable: the card is
// found but its details cannot be read.
void SetStorageCard(CardState state, const std::wstring& folder = L"");

// ---- Dialogs and the scripted user -----------------------------------------

// Reads the dialog templates from the program's compiled resources (the
// .res file the resource compiler makes of tallo.rc), so that host dialogs
// have the real controls, texts, styles and order. False when the file cannot
// be read or holds something that is no resource.
bool LoadDialogTemplates(const std::string& resPath);

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
  DialogScript& Type(int id, const std::wstring& text);
  // Replaces a control's text (as WM_SETTEXT does; upper-case controls raise).
  DialogScript& SetText(int id, const std::wstring& text);
  // Picks list entry `position` of a combo box.
  DialogScript& Pick(int id, int position);
  // Clicks a button: push buttons send their command, radio buttons check
  // themselves (clearing their group) and send theirs.
  DialogScript& Click(int id);
  // The close box.
  DialogScript& Close();

  int templateId() const { return templateId_; }
  const std::vector<Step>& steps() const { return steps_; }

 private:
  int templateId_;
  std::vector<Step> steps_;
};

// Queues the script for the next dialog that opens (dialogs take scripts in
// the order they open, nested ones included).
void QueueDialog(const DialogScript& script);

// What a dialog showed: taken after its initialisation and after each step.
struct DialogSnapshot {
  std::wstring title;
  std::vector<std::pair<int, std::wstring>> texts;  // every control with an id
  int focus = 0;                                    // id of the focused control, 0: none
  bool focusAllSelected = false;                    // its whole text selected
  int selection = -1;                               // the combo box's selected entry
  std::vector<int> checked;                         // ids of checked buttons
  std::wstring Text(int id) const;
};
struct DialogRun {
  int templateId = 0;
  std::string owner;
  std::vector<DialogSnapshot> snapshots;
  intptr_t result = 0;
};
const std::vector<DialogRun>& DialogRuns();
// Problems met while following the scripts: a dialog without a script, one
// of another kind than expected, one still open when its script ran out.
const std::vector<std::string>& ScriptErrors();
// Scripts queued for dialogs that have not opened (yet).
size_t UnusedDialogScripts();

// ---- Message boxes, beeps and dialogs, in the order they came ----------------

struct UiEvent {
  enum class Kind { kBeep, kMessageBox, kDialog };
  Kind kind = Kind::kBeep;
  unsigned sound = 0;  // kBeep; kDialog: the template id
  std::wstring text;   // kMessageBox
  std::wstring caption;
  unsigned style = 0;
  std::string owner;  // "none", "main" or "dialog <id>"
};
const std::vector<UiEvent>& Events();
// Answers for the next message boxes, in order; a box with no queued answer
// is answered OK.
void QueueMessageBoxAnswer(int answer);
// Answers queued for message boxes that have not come (yet).
size_t UnusedMessageBoxAnswers();
// Also print every message box as "caption: text" on `stream` (nullptr: off).
void EchoMessagesTo(std::FILE* stream);

// The stand-in for the program's main window, for use as a dialog owner.
WindowRef MainWindowStandIn();
// True once PostQuit has been called; the code it carried.
bool QuitRequested(int* exitCode = nullptr);

// Back to the start state: no faults, no card, no events, no working folder.
void ResetHost();

// UTF-8 <-> wide, for paths and terminal output.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace platform::host
