#include "tools/fields.h"

#include <algorithm>
#include <cwctype>
#include <regex>
#include <string>

#include "dialogs/dialog_support.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "records/amend_fields.h"
#include "tools/utf8.h"

namespace {

const char* const kNames[] = {"description", "sku",         "in_stock", "tax",
                              "cost_price",  "trade_price", "price",    "category"};

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

// A tax given as the text of its list entry, in any case, blanks around it
// ignored.
bool TakeTaxLabel(const std::wstring& text, uint32_t* position) {
  const auto first = text.find_first_not_of(L" \t");
  const auto last = text.find_last_not_of(L" \t");
  if (first == std::wstring::npos) return false;
  std::wstring given = text.substr(first, last - first + 1);
  for (uint32_t i = 0; i < kTaxChoiceCount; ++i) {
    std::wstring label = kTaxChoices[i];
    if (label.size() == given.size() &&
        std::equal(label.begin(), label.end(), given.begin(),
                   [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); })) {
      *position = i;
      return true;
    }
  }
  return false;
}

// The first character of `text` that the system code page cannot hold, as
// "X (U+XXXX)"; "" when it holds them all.
std::string MissingCharacter(const std::wstring& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    size_t length = 1;
    if (sizeof(wchar_t) == 2 && (text[i] & 0xFC00) == 0xD800 && i + 1 < text.size()) length = 2;
    const std::wstring one = text.substr(i, length);
    char narrow[8] = {};
    wchar_t back[8] = {};
    const bool kept = platform::WideToNarrow(one.c_str(), narrow, sizeof narrow) > 0 &&
                      platform::NarrowToWide(narrow, -1, back, 8) > 0 && one == back;
    if (!kept) {
      uint32_t code = static_cast<uint32_t>(one[0]);
      if (length == 2) code = 0x10000 + ((code - 0xD800) << 10) + (one[1] & 0x3FF);
      char hex[16];
      std::snprintf(hex, sizeof hex, "U+%04X", static_cast<unsigned>(code));
      return Utf8FromWide(one) + " (" + hex + ")";
    }
    i += length - 1;
  }
  return "";
}

std::string Text(const uint8_t* field, size_t size) {
  return Utf8FromWide(WideFromField(field, size));
}

}  // namespace

const char* FieldName(Field field) { return kNames[static_cast<int>(field)]; }

bool FieldNamed(const std::string& name, Field* field) {
  for (Field f : kAllFields) {
    if (name == FieldName(f)) {
      *field = f;
      return true;
    }
  }
  return false;
}

std::string ExportedField(Field field, const InventoryRecord& r) {
  switch (field) {
    case Field::kDescription:
      return Text(r.bytes + kDescriptionOffset, kDescriptionSize);
    case Field::kSku:
      return Text(r.bytes + kSku1Offset, kSku1Size);
    case Field::kInStock:
      return std::to_string(RecordInStock(r));
    case Field::kTax:
      return std::to_string(RecordTax(r));
    case Field::kCostPrice:
      return platform::FormatPrice(RecordCostPrice(r));
    case Field::kTradePrice:
      return platform::FormatPrice(RecordTradePrice(r));
    case Field::kPrice:
      return platform::FormatPrice(RecordPrice(r));
    case Field::kCategory:
      return std::to_string(RecordCategory(r));
  }
  return "";
}

std::string StoreField(Field field, const std::string& value, InventoryRecord& r,
                       std::string* note) {
  std::wstring wide;
  if (!WideFromUtf8(value, &wide)) return "not UTF-8 text";
  uint32_t number = 0;
  switch (field) {
    case Field::kDescription:
    case Field::kSku: {
      platform::RaiseLetters(wide);  // the field is an upper-case edit
      if (wide.size() > static_cast<size_t>(kAmendTextChars)) {
        wide.resize(kAmendTextChars);
        *note = "cut to its first " + std::to_string(kAmendTextChars) +
                " characters, as the amend dialog cuts it";
      }
      const std::string missing = MissingCharacter(wide);
      if (!missing.empty()) return "the system code page has no " + missing;
      (field == Field::kDescription ? StoreDescription : StoreSku1)(r, wide);
      return "";
    }
    case Field::kInStock:
      if (!TakeUnsigned(value, &number)) return "not a whole number of 0 or more";
      return StoreInStock(r, number) ? "" : "beyond 2147483647";
    case Field::kCategory:
      if (!TakeUnsigned(value, &number)) return "not a whole number of 0 or more";
      return StoreCategory(r, number) ? "" : "beyond " + std::to_string(kCategoryLimit - 1);
    case Field::kTax: {
      const std::string positions = "not a list position 0 to " +
                                    std::to_string(kTaxChoiceCount - 1) + " nor an entry's text";
      if (!TakeUnsigned(value, &number) && !TakeTaxLabel(wide, &number)) return positions;
      return StoreTax(r, number) ? "" : positions;
    }
    case Field::kPrice:
    case Field::kCostPrice:
    case Field::kTradePrice: {
      if (!IsDecimalNumber(value)) return "not a number";
      const double typed = TypedPrice(wide);
      const bool stored = field == Field::kPrice       ? StorePrice(r, typed)
                          : field == Field::kCostPrice ? StoreCostPrice(r, typed)
                                                       : StoreTradePrice(r, typed);
      return stored ? "" : "too large for a price";
    }
  }
  return "no such field";
}
