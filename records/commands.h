// The commands of the "Find", "Amend" and "Delete" buttons.
#pragma once

void FindCommand();
void AmendCommand();
void DeleteCommand();
