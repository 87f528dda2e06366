// The commands of the "Find" and "Amend" buttons.
#pragma once

void FindCommand();
void AmendCommand();
