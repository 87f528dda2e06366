#include "records/prompt.h"

#include <cstring>

#include "platform/number_text.h"
#include "records/record_dialogs.h"
#include "records/records_state.h"

bool AskForItem(const char* question) {
  std::strncpy(InputText, question, sizeof InputText - 1);
  ScratchText[0] = '\0';
  return RunPromptDialog() == DialogResult::kOk;
}

void TakeAnswer(int64_t largest) {
  SearchMode = 0;
  const int64_t n = platform::ParseInt64(InputText);
  if (n >= 1 && n <= largest) {
    CurrentNumber = n;
  } else {
    SearchMode = kDescriptionSearch;
  }
}
