// The commands of the "Find", "Amend" and "Delete" buttons.
#pragma once

void FindCommand();
void AmendCommand();
void DeleteCommand();

// Writes CurrentRecord back to its slot; reports its own failures.
void WriteBackRecord();
