// The search-result dialog: one match at a time.
#pragma once

#include "dialogs/dialog_support.h"

// Shows the match in CurrentRecord; "Next" goes on scanning from CurrentSlot.
// kOk: the item shown is accepted.
DialogResult RunSearchResultDialog();
