// The prompt dialog: one line of text whose title is the question.
#include "records/prompt_dialog.h"

#include "commands/records_state.h"
#include "resources/resource_ids.h"

namespace {

// The answer is taken with room for 40 characters, so longer text is cut.
constexpr int kAnswerChars = 39;

void TakeAnswerText(platform::WindowRef dialog) {
  ControlToNarrow(dialog, IDC_PROMPT_ANSWER, kAnswerChars, InputText, sizeof InputText);
}

intptr_t PromptDialogProc(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                          intptr_t /*lparam*/) {
  switch (message) {
    case platform::kMsgInitDialog:
      platform::SetTitle(dialog, WideFromText(InputText, sizeof InputText));
      platform::SetControlText(dialog, IDC_PROMPT_ANSWER,
                               WideFromText(ScratchText, sizeof ScratchText));
      platform::SetFocus(platform::ControlWindow(dialog, IDC_PROMPT_ANSWER));
      return 0;  // the focus is placed
    default:
      return EndOnOkOrCancel(dialog, message, wparam, TakeAnswerText);
  }
}

}  // namespace

DialogResult RunPromptDialog() { return RunModal(IDD_PROMPT, PromptDialogProc); }
