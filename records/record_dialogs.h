// The prompt, view, amend and search-result dialogs.
#pragma once

#include "dialogs/dialog_support.h"

// Asks the question in InputText, with ScratchText as the initial answer.
// kOk: the answer is in InputText.
DialogResult RunPromptDialog();
// Shows CurrentRecord read-only.
DialogResult ShowItemView();
// Edits CurrentRecord. kOk: the fields are copied back into it; otherwise
// CurrentRecord is untouched.
DialogResult RunAmendDialog();
// Shows the match in CurrentRecord; "Next" goes on scanning from CurrentSlot.
// kOk: the item shown is accepted.
DialogResult RunSearchResultDialog();
