#include "records/records_state.h"

#include <cstring>

#include "dialogs/dialog_support.h"
#include "platform/app_handles.h"
#include "store/store_state.h"

char InputText[kInputTextSize] = {};
int64_t CurrentNumber = 0;
int64_t CurrentSlot = 0;
int SearchMode = 0;
int ShowAfterLookup = 0;

void ResetProcessState() {
  ResetStoreState();
  ResetDialogState();
  std::memset(InputText, 0, sizeof InputText);
  CurrentNumber = CurrentSlot = 0;
  SearchMode = ShowAfterLookup = 0;
  AppInstance = nullptr;
  MainWindow = nullptr;
}
