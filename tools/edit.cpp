// filmtool amend and delete: the program's own lookup and writes, with the
// values of the command line taken as the amend dialog takes typed text.
#include <cstdint>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "platform/number_text.h"
#include "records/commands.h"
#include "records/prompt.h"
#include "records/records_state.h"
#include "store/opendata.h"
#include "store/store_state.h"
#include "tools/fields.h"
#include "tools/tool.h"

namespace {

// Brings item `number` into hand as Amend and Delete look a number up.
bool LookUp(int64_t number) { return Opendata() && LookUpItemNumber(number); }

}  // namespace

bool TakeItemNumber(const std::string& text, int64_t* number) {
  static const std::regex whole(R"(\s*\+?\d{1,19}\s*)");
  if (std::regex_match(text, whole)) {
    *number = platform::ParseInt64(text.c_str());
    if (IsLiveNumber(*number)) return true;
  }
  Complain("not an item number of 1 or more: " + text);
  return false;
}

int Amend(const std::string& numberText, const std::vector<std::string>& assignments) {
  int64_t number = 0;
  if (!TakeItemNumber(numberText, &number)) return 1;
  std::vector<std::pair<Field, std::string>> changes;
  for (const std::string& a : assignments) {
    const size_t equals = a.find('=');
    Field field;
    if (equals == std::string::npos || !FieldNamed(a.substr(0, equals), &field)) {
      Complain("not FIELD=VALUE with a field of the amend dialog: " + a);
      return 1;
    }
    changes.emplace_back(field, a.substr(equals + 1));
  }
  if (!LookUp(number)) return 1;
  const InventoryRecord asRead = CurrentRecord;
  for (const auto& [field, value] : changes) {
    std::string note;
    const std::string refused = StoreField(field, value, CurrentRecord, &note);
    if (!note.empty()) Complain(std::string(FieldName(field)) + ": " + note);
    if (!refused.empty()) {
      Complain(std::string(FieldName(field)) + ": " + refused + ": " + value);
      return 1;
    }
  }
  return StoreAmendment(number, asRead) ? 0 : 1;
}

int Delete(const std::string& numberText) {
  int64_t number = 0;
  if (!TakeItemNumber(numberText, &number) || !LookUp(number)) return 1;
  return DeleteRecordInHand(CurrentNumber) ? 0 : 1;
}
