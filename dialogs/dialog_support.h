// What every dialog of the commands shares: how a dialog is run and how it
// ended, how a command names its control, the working buffer for the numbers
// and prices that dialogs show, and texts between record fields and
// controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/field_text.h"
#include "platform/platform.h"

// How a dialog ended: OK (and, in the search result, the item accepted), or
// Cancel, the close box, or a dialog that could not be started.
enum class DialogResult { kCancelled, kOk };

// Finds dialog `templateId`, loads it and runs it modally over the main
// window with `proc` and creation parameter 0.
DialogResult RunModal(int templateId, platform::DialogProc proc);

// Ends `dialog` with `result`: what a dialog procedure returns once it has
// handled the message that ends it.
inline intptr_t Finish(platform::WindowRef dialog, intptr_t result) {
  platform::EndDialog(dialog, result);
  return 1;
}

// The control id of a command message: its low 16 bits; the notification
// code in the high bits is never looked at.
inline int CommandId(uintptr_t wparam) { return static_cast<int>(wparam & 0xFFFF); }

// What every dialog does alike with the messages that end it: OK ends it
// with 1 once `accept` (when given) has taken its fields back; Cancel and
// the close box end it with 0. Returns 1 for those, and 0 for every other
// message, which is then left to the dialog manager.
intptr_t EndOnOkOrCancel(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                         void (*accept)(platform::WindowRef dialog) = nullptr);

constexpr int kScratchTextSize = 400;
// The prompt's initial answer, and the working buffer for the numbers and
// prices that dialogs show.
extern char ScratchText[kScratchTextSize];

// A zero-terminated narrow buffer (InputText, ScratchText) as wide text.
std::wstring WideFromText(const char* text, size_t bufferSize);
// A printed number put into ScratchText and given back as wide text.
std::wstring WideThroughScratch(const std::string& printed);
// A control's text, at most `maxChars` characters of it.
std::wstring ControlText(platform::WindowRef dialog, int id, int maxChars);
// A control's text, at most `maxChars` characters, through NarrowInto.
bool ControlToNarrow(platform::WindowRef dialog, int id, int maxChars, char* out, int roomBytes);

// ScratchText back to zeros.
void ResetDialogState();
