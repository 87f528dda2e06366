// Every message box the program shows: one table of texts, captions,
// buttons, beeps and owners, and one routine that shows an entry.
#pragma once

#include <string>

#include "platform/platform.h"

enum class Message {
  // The main window's creation (owned by the window being created).
  kNoPicture,
  // Start-up (no owner: the main window does not exist yet).
  kNoMemoryCard,
  kNoMemoryCardDetail,
  kUnableToCreateInventory,
  kUnableToOpenNewInventory,
  kInventoryEmpty,
  kInventoryCorrupt,
  kUnableToOpenForLoading,
  kNoMemoryForIndex,
  kUnfinishedChangeKept,
  // The end of the program.
  kUnableToSaveSettings,
  // Lookup and the description search.
  kNoSuchItem,  // "%s": the item number
  kInventoryMissing,
  kUnableToReadRecord,
  kSearchReadFailed,
  kNoMatch,
  kNextInventoryMissing,
  kNextReadFailed,
  kNoFurtherMatch,
  kSlotMoved,  // the slot of a number holds another item since start-up
  // Amend.
  kNumberChanged,
  kDescriptionTooShort,
  kInvalidNumber,
  kWriteBackMissing,
  kWriteBackFailed,
  // Amend and Delete.
  kRecordChanged,  // the slot no longer holds the record shown
  // Delete.
  kConfirmDelete,  // caption "%s": the number and description
  kDeleteMissing,
  kDeleteFailed,
  kDeleteComplete,
  // Configuration.
  kCardMissingForSwitch,
  kCardDetailMissingForSwitch,
  kUsing,  // "%s": where the inventory will be
  kPleaseRestart,
  kCount,  // not a message: how many there are
};

// Shows `message`: its beep first when it has one, then the box, owned by
// nobody, the main window, or `window` (the open dialog), as the entry says.
// A "%s" in the text or caption stands for `detail`. Returns the button
// pressed.
int Tell(Message message, platform::WindowRef window = nullptr, const std::wstring& detail = L"");
// The text of `message`'s box, `detail` in place of its "%s".
std::wstring MessageText(Message message, const std::wstring& detail = L"");
