// The prompt, view and amend dialogs.
#pragma once

#include <cstdint>

// Asks the question in InputText, with ScratchText as the initial answer.
// 1: OK, the answer is in InputText; 0: Cancel or the close box.
intptr_t RunPromptDialog();
// Shows CurrentRecord read-only. 1: OK; 0: the close box.
intptr_t ShowItemView();
// Edits CurrentRecord. 1: OK, the fields are copied back into it; 0: Cancel
// or the close box, CurrentRecord untouched.
intptr_t RunAmendDialog();
