// filmtool amend and delete: the program's own lookup and writes, with the
// values of the command line taken as the amend dialog takes typed text.
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "commands/amend_record.h"
#include "commands/delete_record.h"
#include "commands/lookup_number.h"
#include "commands/records_state.h"
#include "filmtool/tool.h"
#include "office/fields.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "office/value_syntax.h"
#include "platform/number_text.h"
#include "platform/utf8.h"
#include "store/load_inventory.h"
#include "store/store_state.h"

namespace {

// Brings item `number` into hand as Amend and Delete look a number up.
bool LookUp(int64_t number) {
  return OpenForChange(StandardError()) && TellResult(LookupItemByNumber(number));
}

bool TakeArgumentNumber(const std::string& text, int64_t* number) {
  std::string why;
  if (TakeItemNumber(text, number, &why)) return true;
  Tell(why + ": " + Printable(text));
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
      Tell("not FIELD=VALUE with a field of the amend dialog: " + Printable(a));
      return 1;
    }
    changes.emplace_back(field, a.substr(equals + 1));
  }
  if (!LookUp(number)) return 1;
  const InventoryRecord asRead = CurrentRecord;
  for (const auto& [field, value] : changes) {
    std::string note;
    const std::string refused = StoreField(field, value, CurrentRecord, &note);
    if (!note.empty()) Tell(std::string(FieldName(field)) + ": " + note);
    if (!refused.empty()) {
      Tell(std::string(FieldName(field)) + ": " + refused + ": " + Printable(value));
      return 1;
    }
  }
  const CommandResult result = StoreAmendment(number, asRead);
  if (TellResult(result)) return 0;
  TellStatus(StandardError(), result.status);
  return 1;
}

int Delete(const std::string& numberText) {
  int64_t number = 0;
  if (!TakeArgumentNumber(numberText, &number) || !LookUp(number)) return 1;
  const CommandResult result = DeleteRecordInHand(CurrentNumber);
  if (TellResult(result)) return 0;
  TellStatus(StandardError(), result.status);
  return 1;
}
