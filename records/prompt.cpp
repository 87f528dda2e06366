#include "records/prompt.h"

#include <cstring>

#include "commands/records_state.h"
#include "platform/number_text.h"
#include "records/lookup_item.h"
#include "records/prompt_dialog.h"
#include "store/inventory_record.h"

bool AskForItem(const char* question) {
  std::strncpy(InputText, question, sizeof InputText - 1);
  ScratchText[0] = '\0';
  return RunPromptDialog() == DialogResult::kOk;
}

bool AskAndLookUp(const char* question, int64_t largest, int show) {
  ShowAfterLookup = show;
  if (!AskForItem(question)) {
    CurrentNumber = 0;
    return false;
  }
  TakeAnswer(largest);
  LookupItem();
  return CurrentNumber != 0;
}

void TakeAnswer(int64_t largest) {
  SearchMode = 0;
  const int64_t n = platform::ParseInt64(InputText);
  if (IsLiveNumber(n) && n <= largest) {
    CurrentNumber = n;
  } else {
    SearchMode = kDescriptionSearch;
  }
}
