// The view and amend dialogs over CurrentRecord.
#pragma once

#include "dialogs/dialog_support.h"

// Shows CurrentRecord read-only.
DialogResult ShowItemView();
// Edits CurrentRecord. kOk: the fields are copied back into it; otherwise
// CurrentRecord is untouched.
DialogResult RunAmendDialog();
