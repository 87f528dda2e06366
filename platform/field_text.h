// Texts between a record's narrow fields and wide text, with the system's
// code page (or the one the back office chose): shown up to their
// terminator in a working buffer of 200 wide characters, and stored in at
// most two bytes a character. Neither ever ends in half a character.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// The length of the text of a record's field: up to its terminator, or the
// whole field when it has none.
size_t FieldTextLength(const uint8_t* field, size_t size);

// Narrow text up to its terminator (a field without one up to its end) as
// wide text, shown through a working buffer of 200 wide characters: a text
// of 199 characters or fewer whole, a longer one cut after its 199th
// character.
std::wstring WideFromField(const uint8_t* field, size_t fieldSize);

// Converts `text`, terminator included, with the system code page into
// `out`: at most two bytes a character and never more than `roomBytes`.
// Bytes of `out` after the terminator keep their values. False when the
// text does not fit; `out` is then left as it was, never with part of it.
bool NarrowInto(const std::wstring& text, char* out, int roomBytes);

}  // namespace platform
