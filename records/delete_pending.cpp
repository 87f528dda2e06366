#include "records/commands.h"

// Delete arrives with the index update.
void DeleteCommand() {}
