#include <cstring>
#include <string>

#include "platform/app_handles.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "platform/scoped_file.h"
#include "records/lookup.h"
#include "records/record_dialogs.h"
#include "records/record_file.h"
#include "records/records_state.h"
#include "store/number_index.h"
#include "store/store_state.h"

namespace {

void Tell(platform::WindowRef owner, const std::wstring& text, const wchar_t* caption) {
  platform::ShowMessageBox(owner, text, caption, platform::kMbOk);
}

void LookUpNumber() {
  const int64_t at = WalkNumberIndex(CurrentNumber);
  if (NumberIndex[at].number != CurrentNumber) {
    const std::string target = platform::FormatItemNumber(CurrentNumber);
    Tell(nullptr, L"No such item: " + std::wstring(target.begin(), target.end()), L"Problem");
    CurrentNumber = 0;
    return;
  }
  platform::ScopedFile file(OpenDataForReading());
  if (!file) {
    Tell(nullptr, L"Data file: film.dat, not present.", L"Fatal error");
    CurrentNumber = 0;
    return;
  }
  const int64_t slot = NumberIndex[at].slot;
  const bool read = ReadRecordAt(file.get(), slot, &CurrentRecord);
  file.Close();
  if (!read) {
    Tell(MainWindow, L"Not able to read film.dat", L"Problem");
    CurrentNumber = 0;
    return;
  }
  CurrentSlot = slot;
  if (ShowAfterLookup != 0) ShowItemView();
  CurrentNumber = RecordNumber(CurrentRecord);
}

void SearchDescriptions() {
  if (InputText[0] == '\0') {
    CurrentNumber = 0;
    return;
  }
  // A one-character pattern stands for that character and any second one.
  if (InputText[1] == '\0') {
    InputText[1] = '?';
    InputText[2] = '\0';
  }
  platform::ScopedFile file(OpenDataForReading());
  if (!file) {
    Tell(nullptr, L"Data file: film.dat, not present.", L"Fatal error");
    CurrentNumber = 0;
    return;
  }
  CurrentSlot = 0;
  const ScanOutcome outcome = ScanDescriptions(file.get());
  file.Close();
  switch (outcome) {
    case ScanOutcome::kReadFailed:
      Tell(MainWindow, L"Film.dat", L"Problem");
      CurrentNumber = 0;
      return;
    case ScanOutcome::kExhausted:
      Tell(MainWindow, L"No match found", L"Finished");
      CurrentNumber = 0;
      return;
    case ScanOutcome::kMatch:
      CurrentNumber = RunSearchResultDialog() > 0 ? RecordNumber(CurrentRecord) : 0;
      return;
  }
}

}  // namespace

platform::FileRef OpenDataForReading() {
  return platform::OpenFile(DataPath, platform::Access::kRead,
                            platform::Disposition::kOpenExisting);
}

void LookupItem() {
  if (SearchMode == kDescriptionSearch) {
    SearchMode = 0;
    SearchDescriptions();
  } else {
    LookUpNumber();
  }
}
