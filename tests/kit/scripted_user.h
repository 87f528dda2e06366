// The scripted user: a Ui layer (platform/ui.h) that plays the person at the
// screen. It runs the program's dialogs from their real templates and works
// each one by the script queued for it, answers message boxes from a queue
// (OK when it is empty), and records every message box, beep and dialog.
// Test fixtures install it with platform::SetUi(&ScriptedUser()) and put
// the back end's own back with SetUi(nullptr); calls for windows that are
// not its own go to the back end's Ui.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "platform/ui.h"
#include "tests/kit/dialog_script.h"

namespace testkit {

// The one scripted user of the process.
platform::Ui& ScriptedUser();

// Reads the dialog templates from the program's compiled resources (the .res
// file made of tallo.rc). False when the file cannot be read, holds something
// that is no resource, or has no dialog.
bool LoadDialogTemplates(const std::string& resPath);

// Queues the script for the next dialog that opens (dialogs take scripts in
// the order they open, nested ones included).
void QueueDialog(const DialogScript& script);
// The dialogs that ran, in order of opening.
const std::vector<DialogRun>& DialogRuns();
// Problems met while following the scripts: a dialog without a script, one
// of another kind than expected, one still open when its script ran out.
const std::vector<std::string>& ScriptErrors();
// Scripts queued for dialogs that have not opened (yet).
size_t UnusedDialogScripts();

// Message boxes, beeps and dialogs, in the order they came.
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

// The stand-in for the program's main window, for use as a dialog owner.
platform::WindowRef MainWindowStandIn();
// True once PostQuit has been called; the code it carried.
bool QuitRequested(int* exitCode = nullptr);

// Back to the start: no scripts, answers, runs, errors, events or quit
// request. The dialog templates stay.
void ResetScriptedUser();

}  // namespace testkit
