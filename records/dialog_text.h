// Texts between the record's narrow fields and the dialogs' wide controls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/platform.h"

// Narrow text up to its terminator, never past `fieldSize` bytes, as wide
// text (a field without a terminator is shown up to its end).
std::wstring WideFromField(const uint8_t* field, size_t fieldSize);
// A zero-terminated narrow buffer (InputText, ScratchText) as wide text.
std::wstring WideFromText(const char* text, size_t bufferSize);
// A printed number put into ScratchText, the working buffer for the numbers
// and prices that dialogs show, and given back as wide text.
std::wstring WideThroughScratch(const std::string& printed);

// The control id of a command message: its low 16 bits.
inline int CommandId(uintptr_t wparam) { return static_cast<int>(wparam & 0xFFFF); }
// Cancel and the close box end every record and configuration dialog with
// 0. True when `message` was one of them.
bool EndOnCancelOrClose(platform::WindowRef dialog, unsigned message, uintptr_t wparam);
// Reads up to `maxChars` characters of a control and converts them,
// terminator included, into `out`: at most two bytes a character and never
// more than `roomBytes`. Bytes of `out` after the terminator keep their
// values. False when the text does not fit.
bool ControlToNarrow(platform::WindowRef dialog, int id, int maxChars, char* out, int roomBytes);
