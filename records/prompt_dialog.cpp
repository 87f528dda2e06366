// The prompt dialog: one line of text whose title is the question.
#include "records/record_dialogs.h"
#include "records/records_state.h"
#include "resources/resource_ids.h"

namespace {

// The answer is taken with room for 40 characters, so longer text is cut.
constexpr int kAnswerChars = 39;

intptr_t PromptDialogProc(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                          intptr_t /*lparam*/) {
  switch (message) {
    case platform::kMsgInitDialog:
      platform::SetTitle(dialog, WideFromText(InputText, sizeof InputText));
      platform::SetControlText(dialog, IDC_PROMPT_ANSWER,
                               WideFromText(ScratchText, sizeof ScratchText));
      platform::SetFocus(platform::ControlWindow(dialog, IDC_PROMPT_ANSWER));
      return 0;  // the focus is placed
    case platform::kMsgCommand:
      switch (CommandId(wparam)) {
        case IDOK:
          ControlToNarrow(dialog, IDC_PROMPT_ANSWER, kAnswerChars, InputText, sizeof InputText);
          platform::EndDialog(dialog, 1);
          return 1;
        case IDCANCEL:
          platform::EndDialog(dialog, 0);
          return 1;
        default:
          return 0;
      }
    case platform::kMsgClose:
      platform::EndDialog(dialog, 0);
      return 1;
    default:
      return 0;
  }
}

}  // namespace

DialogResult RunPromptDialog() { return RunModal(IDD_PROMPT, PromptDialogProc); }
