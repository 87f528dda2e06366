// The view and amend dialogs over CurrentRecord.
#include <cmath>
#include <cstring>

#include "platform/number_text.h"
#include "platform/platform.h"
#include "records/record_dialogs.h"
#include "records/records_state.h"
#include "resources/resource_ids.h"
#include "store/inventory_record.h"
#include "store/settings_image.h"
#include "store/store_state.h"

namespace {

// The tax choices, listed so that a choice's position is its Tax value.
const wchar_t* const kTaxChoices[] = {L"Non", L"1 and 2", L"1", L"2"};
constexpr uint32_t kTaxChoiceCount = 4;
constexpr uint32_t kCategoryLimit = 18;
constexpr int kNumberChars = 19;
constexpr int kTextChars = 38;  // Description, SKU1 and the prices
constexpr int kSku1Room = 580;

void SetPrice(platform::WindowRef dialog, int id, float value) {
  platform::SetControlText(dialog, id, WideThroughScratch(platform::FormatPrice(value)));
}

// The initialisation both dialogs share: title, then the fields in order.
void ShowRecord(platform::WindowRef dialog, const wchar_t* title) {
  const InventoryRecord& r = CurrentRecord;
  platform::SetTitle(dialog, title);
  platform::SetControlText(dialog, IDC_NUMBER,
                           WideThroughScratch(platform::FormatItemNumber(RecordNumber(r))));
  platform::SetControlText(dialog, IDC_DESCRIPTION,
                           WideFromField(r.bytes + kDescriptionOffset, kDescriptionSize));
  platform::SetControlText(dialog, IDC_SKU1, WideFromField(r.bytes + kSku1Offset, kSku1Size));
  platform::SetControlUnsigned(dialog, IDC_IN_STOCK, RecordInStock(r));
  SetPrice(dialog, IDC_PRICE, RecordPrice(r));
  SetPrice(dialog, IDC_COST_PRICE, RecordCostPrice(r));
  SetPrice(dialog, IDC_TRADE_PRICE, RecordTradePrice(r));
  platform::SetControlUnsigned(dialog, IDC_CATEGORY, RecordCategory(r));
  for (const wchar_t* choice : kTaxChoices) platform::AddComboText(dialog, IDC_TAX, choice);
  platform::SelectComboEntry(dialog, IDC_TAX, static_cast<int>(RecordTax(r)));
}

// A price as typed: the number the text begins with (0 when none).
double TypedPrice(platform::WindowRef dialog, int id) {
  ScratchText[0] = '\0';
  ControlToNarrow(dialog, id, kTextChars, ScratchText, sizeof ScratchText);
  return platform::ParseDouble(ScratchText);
}

// A price that does not fit a float (or is no number) is not stored: the
// field keeps its value rather than taking an infinity.
void StorePrice(InventoryRecord& r, void (*set)(InventoryRecord&, float), double value) {
  const auto narrowed = static_cast<float>(value);
  if (std::isfinite(narrowed)) set(r, narrowed);
}

// The amend dialog's OK: every field back into CurrentRecord, each under
// its own acceptance rule.
void CopyFieldsBack(platform::WindowRef dialog) {
  InventoryRecord& r = CurrentRecord;
  InputText[0] = '\0';
  ControlToNarrow(dialog, IDC_NUMBER, kNumberChars, InputText, sizeof InputText);
  SetRecordNumber(r, platform::ParseInt64(InputText));

  ControlToNarrow(dialog, IDC_DESCRIPTION, kTextChars,
                  reinterpret_cast<char*>(r.bytes + kDescriptionOffset), kDescriptionSize);
  ControlToNarrow(dialog, IDC_SKU1, kTextChars, reinterpret_cast<char*>(r.bytes + kSku1Offset),
                  kSku1Room);

  const uint32_t inStock = platform::GetControlUnsigned(dialog, IDC_IN_STOCK);
  if (static_cast<int32_t>(inStock) >= 0) SetRecordInStock(r, inStock);

  // Price is rounded to two decimals through its printed form.
  const double typed = TypedPrice(dialog, IDC_PRICE);
  const std::string rounded = platform::FormatPrice(typed);
  StorePrice(r, SetRecordPrice, platform::ParseDouble(rounded.c_str()));
  StorePrice(r, SetRecordCostPrice, TypedPrice(dialog, IDC_COST_PRICE));
  StorePrice(r, SetRecordTradePrice, TypedPrice(dialog, IDC_TRADE_PRICE));

  const uint32_t category = platform::GetControlUnsigned(dialog, IDC_CATEGORY);
  if (category < kCategoryLimit) SetRecordCategory(r, category);
  const auto tax = static_cast<uint32_t>(platform::SelectedComboEntry(dialog, IDC_TAX));
  if (tax < kTaxChoiceCount) SetRecordTax(r, tax);
}

intptr_t ViewDialogProc(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                        intptr_t /*lparam*/) {
  switch (message) {
    case platform::kMsgInitDialog:
      ShowRecord(dialog, L"Inventory");
      return 1;  // the dialog manager places the focus
    case platform::kMsgCommand:
      switch (CommandId(wparam)) {
        case IDOK:
          platform::EndDialog(dialog, 1);
          return 1;
        case IDCANCEL:
          platform::EndDialog(dialog, 0);
          return 1;
        default:
          return 0;
      }
    case platform::kMsgClose:
      platform::EndDialog(dialog, 0);
      return 1;
    default:
      return 0;
  }
}

intptr_t AmendDialogProc(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                         intptr_t /*lparam*/) {
  switch (message) {
    case platform::kMsgInitDialog: {
      ShowRecord(dialog, L"Amend inventory");
      const int focus = AmendFocusOption() == kOptionOff ? IDC_IN_STOCK : IDC_PRICE;
      platform::WindowRef field = platform::ControlWindow(dialog, focus);
      platform::SetFocus(field);
      platform::SelectAllText(field);
      return 0;  // the focus is placed
    }
    case platform::kMsgCommand:
      switch (CommandId(wparam)) {
        case IDOK:
          CopyFieldsBack(dialog);
          platform::EndDialog(dialog, 1);
          return 1;
        case IDCANCEL:
          platform::EndDialog(dialog, 0);
          return 1;
        default:
          return 0;
      }
    case platform::kMsgClose:
      platform::EndDialog(dialog, 0);
      return 1;
    default:
      return 0;
  }
}

}  // namespace

DialogResult ShowItemView() { return RunModal(IDD_VIEW, ViewDialogProc); }

DialogResult RunAmendDialog() { return RunModal(IDD_AMEND, AmendDialogProc); }
