#include "records/commands.h"

// Find, Amend and Delete arrive with the record dialogs.
void FindCommand() {}
void AmendCommand() {}
void DeleteCommand() {}
