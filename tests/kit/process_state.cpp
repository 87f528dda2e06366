#include "tests/kit/process_state.h"

#include "commands/records_state.h"
#include "dialogs/dialog_support.h"
#include "platform/app_handles.h"
#include "store/store_state.h"

void ResetProcessState() {
  ResetStoreState();
  ResetDialogState();
  ResetRecordsState();
  AppInstance = nullptr;
  MainWindow = nullptr;
}
