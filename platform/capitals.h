// The capitals Windows gives letters (CharUpperBuffW, and so an edit control
// with the upper-case style), as a table that any platform can use: the
// host raises the letters of a field with it, so that Linux stores what
// Windows stores for the same typed text.
#pragma once

#include <cstdint>

namespace platform {

// The capital of one UTF-16 unit, or the unit itself when Windows leaves it
// as it is: a capital, a letter whose capital would not lower back to it
// (µ, ı, ſ, ς, ǅ), or a surrogate (Windows raises no character beyond the
// BMP).
uint16_t CapitalOf(uint16_t unit);

}  // namespace platform
