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
bool LookUp(int64_t number) { return OpenForChange() && LookUpItemNumber(number); }

}  // namespace

bool TakeItemNumber(const std::string& text, int64_t* number, std::string* why) {
  static const std::regex whole(R"(\s*\+?0*(\d{1,19})\s*)");
  std::smatch m;
  if (!std::regex_match(text, m, whole)) {
    static const std::regex digits(R"(\s*\+?\d+\s*)");
    *why = std::regex_match(text, digits) ? "beyond 9223372036854775807, the largest item number"
                                          : "not an item number of 1 or more";
    return false;
  }
  const std::string kept = m[1];
  if (kept.size() == 19 && kept > "9223372036854775807") {
    *why = "beyond 9223372036854775807, the largest item number";
    return false;
  }
  *number = platform::ParseInt64(kept.c_str());
  if (IsLiveNumber(*number)) return true;
  *why = "not an item number of 1 or more";
  return false;
}

namespace {

bool TakeArgumentNumber(const std::string& text, int64_t* number) {
  std::string why;
  if (TakeItemNumber(text, number, &why)) return true;
  Complain(why + ": " + text);
  return false;
}

}  // namespace

int Amend(const std::string& numberText, const std::vector<std::string>& assignments) {
  int64_t number = 0;
  if (!TakeArgumentNumber(numberText, &number)) return 1;
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
  if (StoreAmendment(number, asRead)) return 0;
  ComplainOfOutcome(LastWriteOutcome);
  return 1;
}

int Delete(const std::string& numberText) {
  int64_t number = 0;
  if (!TakeArgumentNumber(numberText, &number) || !LookUp(number)) return 1;
  if (DeleteRecordInHand(CurrentNumber)) return 0;
  ComplainOfOutcome(LastWriteOutcome);
  return 1;
}
