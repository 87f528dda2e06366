// The prompt dialog: one line of text whose title is the question.
#pragma once

#include "dialogs/dialog_support.h"

// Asks the question in InputText, with ScratchText as the initial answer.
// kOk: the answer is in InputText.
DialogResult RunPromptDialog();
