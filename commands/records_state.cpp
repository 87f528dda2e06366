#include "commands/records_state.h"

#include <cstring>

char InputText[kInputTextSize] = {};
int64_t CurrentNumber = 0;
int64_t CurrentSlot = 0;
int SearchMode = 0;
int ShowAfterLookup = 0;

void ResetRecordsState() {
  std::memset(InputText, 0, sizeof InputText);
  CurrentNumber = CurrentSlot = 0;
  SearchMode = ShowAfterLookup = 0;
}
