// The configuration dialog: the counts, the amend-focus choice, and the
// switch of the inventory between the device and the storage card.
#include "config/configuration.h"

#include <string>

#include "messages/messages.h"
#include "platform/number_text.h"
#include "platform/platform.h"
#include "resources/resource_ids.h"
#include "store/file_names.h"
#include "store/inventory_location.h"
#include "store/settings_image.h"
#include "store/storage_card.h"
#include "store/store_state.h"

namespace {

void ShowCount(platform::WindowRef dialog, int id, int32_t count) {
  platform::SetControlText(dialog, id, WideThroughScratch(platform::FormatCount(count)));
}

// Moves the inventory to the other place and ends the program, so that the
// settings written at exit carry the choice to the next start.
void SwitchStorage(platform::WindowRef dialog) {
  std::wstring using_;
  // Only the value the program writes for the card counts as the card here;
  // the opening takes anything but the device's value for the card. A
  // settings file from elsewhere (1.0) thus makes the opening look for the
  // card and this button look for one too: with a card, both end on it.
  if (StorageOption() == kOptionOn) {
    UseDeviceStorage();
    using_ = std::wstring(L"My device\\") + kDataFileName;
  } else {
    std::wstring cardPath;
    switch (LookUpCardDataPath(&cardPath)) {
      case CardLookup::kNoRecord:
        return;
      case CardLookup::kNoCard:
        Tell(Message::kCardMissingForSwitch, dialog);
        return;
      case CardLookup::kNoDetail:
        Tell(Message::kCardDetailMissingForSwitch, dialog);
        return;
      case CardLookup::kFound:
        UseCardStorage(cardPath);
        using_ = cardPath;
        break;
    }
  }
  Tell(Message::kUsing, dialog, using_);
  Tell(Message::kPleaseRestart, dialog);
  platform::PostQuit(0);
}

void TakeAmendFocus(platform::WindowRef dialog) {
  SetAmendFocusOption(platform::IsChecked(dialog, IDC_FOCUS_QUANTITY) ? kOptionOff : kOptionOn);
}

intptr_t ConfigurationDialogProc(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                                 intptr_t /*lparam*/) {
  switch (message) {
    case platform::kMsgInitDialog:
      ShowCount(dialog, IDC_RECORDS, static_cast<int32_t>(SlotCount));  // at most kLargestSlotCount
      ShowCount(dialog, IDC_ACTIVE, ActiveCount);
      ShowCount(dialog, IDC_DELETED, DeletedCount);
      platform::SetCheck(
          dialog, AmendFocusOption() == kOptionOff ? IDC_FOCUS_QUANTITY : IDC_FOCUS_PRICE, true);
      return 0;  // the focus is left where it is
    case platform::kMsgCommand:
      if (CommandId(wparam) == IDC_STORAGE) {
        SwitchStorage(dialog);
        return 1;
      }
      return EndOnOkOrCancel(dialog, message, wparam, TakeAmendFocus);
    default:
      return EndOnOkOrCancel(dialog, message, wparam);
  }
}

}  // namespace

DialogResult ConfigurationCommand() { return RunModal(IDD_CONFIGURATION, ConfigurationDialogProc); }
