// filmtool amend and delete: the program's own lookup and writes, with the
// values of the command line taken as the amend dialog takes typed text.
#include <cstdint>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "platform/host/host_control.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "records/amend_fields.h"
#include "records/commands.h"
#include "records/prompt.h"
#include "records/records_state.h"
#include "store/opendata.h"
#include "store/store_state.h"
#include "tools/tool.h"

namespace {

enum class Field { kDescription, kSku, kInStock, kTax, kCostPrice, kTradePrice, kPrice, kCategory };

const std::map<std::string, Field> kFields = {{"description", Field::kDescription},
                                              {"sku", Field::kSku},
                                              {"in_stock", Field::kInStock},
                                              {"tax", Field::kTax},
                                              {"cost_price", Field::kCostPrice},
                                              {"trade_price", Field::kTradePrice},
                                              {"price", Field::kPrice},
                                              {"category", Field::kCategory}};

// A whole unsigned decimal, as the dialog's number fields read it (0 to
// 4294967294; GetDlgItemInt gives 0 beyond). False for anything else.
bool TakeUnsigned(const std::string& text, uint32_t* value) {
  static const std::regex whole(R"(\s*\+?(\d{1,10})\s*)");
  std::smatch m;
  if (!std::regex_match(text, m, whole)) return false;
  const unsigned long long v = std::stoull(m[1]);
  if (v >= 0xFFFFFFFFull) return false;
  *value = static_cast<uint32_t>(v);
  return true;
}

// A whole decimal number as the price fields read one.
bool IsDecimalNumber(const std::string& text) {
  static const std::regex number(R"(\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?\s*)");
  return std::regex_match(text, number);
}

struct Change {
  Field field;
  std::string name;
  std::string value;
};

// Stores one change in CurrentRecord as the amend dialog stores the same
// text typed into that field; false (and a complaint naming the field) when
// the dialog would keep the old value or turn the text into 0.
bool Store(const Change& c) {
  const std::wstring wide = platform::host::Widen(c.value);
  const auto refuse = [&](const std::string& why) {
    Complain(c.name + ": " + why + ": " + c.value);
    return false;
  };
  uint32_t number = 0;
  switch (c.field) {
    case Field::kDescription:
    case Field::kSku: {
      std::wstring text = wide;
      platform::RaiseLetters(text);  // the field is an upper-case edit
      if (text.size() > static_cast<size_t>(kAmendTextChars)) {
        text.resize(kAmendTextChars);
        Complain(c.name + ": cut to its first 38 characters, as the amend dialog cuts it");
      }
      (c.field == Field::kDescription ? StoreDescription : StoreSku1)(CurrentRecord, text);
      return true;
    }
    case Field::kInStock:
      if (!TakeUnsigned(c.value, &number)) return refuse("not a whole number of 0 or more");
      return StoreInStock(CurrentRecord, number) || refuse("beyond 2147483647");
    case Field::kCategory:
      if (!TakeUnsigned(c.value, &number)) return refuse("not a whole number of 0 or more");
      return StoreCategory(CurrentRecord, number) ||
             refuse("beyond " + std::to_string(kCategoryLimit - 1));
    case Field::kTax: {
      const std::string positions =
          "not a list position 0 to " + std::to_string(kTaxChoiceCount - 1);
      if (!TakeUnsigned(c.value, &number)) return refuse(positions);
      return StoreTax(CurrentRecord, number) || refuse(positions);
    }
    case Field::kPrice:
    case Field::kCostPrice:
    case Field::kTradePrice: {
      if (!IsDecimalNumber(c.value)) return refuse("not a number");
      const double typed = TypedPrice(wide);
      const bool stored = c.field == Field::kPrice       ? StorePrice(CurrentRecord, typed)
                          : c.field == Field::kCostPrice ? StoreCostPrice(CurrentRecord, typed)
                                                         : StoreTradePrice(CurrentRecord, typed);
      return stored || refuse("too large for a price");
    }
  }
  return false;
}

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
  std::vector<Change> changes;
  for (const std::string& a : assignments) {
    const size_t equals = a.find('=');
    const auto field = kFields.find(a.substr(0, equals));
    if (equals == std::string::npos || field == kFields.end()) {
      Complain("not FIELD=VALUE with a field of the amend dialog: " + a);
      return 1;
    }
    changes.push_back(Change{field->second, field->first, a.substr(equals + 1)});
  }
  if (!LookUp(number)) return 1;
  const InventoryRecord asRead = CurrentRecord;
  for (const Change& c : changes) {
    if (!Store(c)) return 1;
  }
  return StoreAmendment(number, asRead) ? 0 : 1;
}

int Delete(const std::string& numberText) {
  int64_t number = 0;
  if (!TakeItemNumber(numberText, &number) || !LookUp(number)) return 1;
  return DeleteRecordInHand(CurrentNumber) ? 0 : 1;
}
