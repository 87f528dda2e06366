// One call that puts every layer's process-wide state back to its start, as
// at a new start of the program: for tests, the fuzz target and the bench.
#pragma once

// The store's, the dialogs' working buffer, the record commands', and the
// instance and main window handles.
void ResetProcessState();
