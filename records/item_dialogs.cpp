// The view and amend dialogs over CurrentRecord.
#include "records/item_dialogs.h"

#include "commands/records_state.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "store/field_rules.h"
#include "store/inventory_record.h"
#include "store/settings_image.h"
#include "store/store_state.h"

namespace {

constexpr int kNumberChars = 19;

// A price field's text as the dialog reads it: through ScratchText, its
// working buffer for prices.
double ReadPrice(platform::WindowRef dialog, int id) {
  ScratchText[0] = '\0';
  ControlToNarrow(dialog, id, kAmendTextChars, ScratchText, sizeof ScratchText);
  return TypedPrice(ScratchText);
}

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
                           platform::WideFromField(r.bytes + kDescriptionOffset, kDescriptionSize));
  platform::SetControlText(dialog, IDC_SKU1,
                           platform::WideFromField(r.bytes + kSku1Offset, kSku1Size));
  platform::SetControlUnsigned(dialog, IDC_IN_STOCK, RecordInStock(r));
  SetPrice(dialog, IDC_PRICE, RecordPrice(r));
  SetPrice(dialog, IDC_COST_PRICE, RecordCostPrice(r));
  SetPrice(dialog, IDC_TRADE_PRICE, RecordTradePrice(r));
  platform::SetControlUnsigned(dialog, IDC_CATEGORY, RecordCategory(r));
  for (const wchar_t* choice : kTaxChoices) platform::AddComboText(dialog, IDC_TAX, choice);
  platform::SelectComboEntry(dialog, IDC_TAX, static_cast<int>(RecordTax(r)));
}

// The amend dialog's OK: every field back into CurrentRecord, each under
// its own acceptance rule.
void CopyFieldsBack(platform::WindowRef dialog) {
  InventoryRecord& r = CurrentRecord;
  InputText[0] = '\0';
  ControlToNarrow(dialog, IDC_NUMBER, kNumberChars, InputText, sizeof InputText);
  SetRecordNumber(r, platform::ParseInt64(InputText));
  StoreDescription(r, ControlText(dialog, IDC_DESCRIPTION, kAmendTextChars));
  StoreSku1(r, ControlText(dialog, IDC_SKU1, kAmendTextChars));
  StoreInStock(r, platform::GetControlUnsigned(dialog, IDC_IN_STOCK));
  StorePrice(r, ReadPrice(dialog, IDC_PRICE));
  StoreCostPrice(r, ReadPrice(dialog, IDC_COST_PRICE));
  StoreTradePrice(r, ReadPrice(dialog, IDC_TRADE_PRICE));
  StoreCategory(r, platform::GetControlUnsigned(dialog, IDC_CATEGORY));
  StoreTax(r, static_cast<uint32_t>(platform::SelectedComboEntry(dialog, IDC_TAX)));
}

intptr_t ViewDialogProc(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                        intptr_t /*lparam*/) {
  switch (message) {
    case platform::kMsgInitDialog:
      ShowRecord(dialog, L"Inventory");
      return 1;  // the dialog manager places the focus
    default:
      return EndOnOkOrCancel(dialog, message, wparam);
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
    default:
      return EndOnOkOrCancel(dialog, message, wparam, CopyFieldsBack);
  }
}

}  // namespace

DialogResult ShowItemView() { return RunModal(IDD_VIEW, ViewDialogProc); }

DialogResult RunAmendDialog() { return RunModal(IDD_AMEND, AmendDialogProc); }
