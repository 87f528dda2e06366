// UTF-8, the back office's text on the command line, in CSV files and on
// the terminal, to and from wide text: UTF-32 where wchar_t has 32 bits,
// UTF-16 where it has 16.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// False for text that is no well-formed UTF-8 (a cut or overlong sequence,
// a surrogate, a value beyond U+10FFFF).
bool WideFromUtf8(const std::string& utf8, std::wstring* wide);
// The text as wide text to show: each byte that starts no well-formed
// sequence becomes U+FFFD, the rest as it is.
std::wstring Wide(const std::string& utf8);
// True for well-formed UTF-8.
bool IsUtf8(std::string_view text);
// The text as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(const std::wstring& wide);

// The character at `wide[i]`, a surrogate pair's where wchar_t has 16 bits
// (a lone surrogate stands for itself), and in `*length` how many elements
// of `wide` it takes.
uint32_t CharacterAt(const std::wstring& wide, size_t i, size_t* length);
// Whether `wide` holds a character that `is` picks (IsControlCharacter,
// IsInvisibleCharacter), read as CharacterAt reads them.
bool HoldsCharacter(const std::wstring& wide, bool (*is)(uint32_t));

// A control character (C0, DEL or C1): never shown raw, never stored in a
// text.
constexpr bool IsControlCharacter(uint32_t c) {
  return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
}

// A character that shows nothing, or only a blank, where a shop owner would
// look for it: a no-break or other wide space, a byte order mark, a
// zero-width space or joiner, a direction mark.
bool IsInvisibleCharacter(uint32_t c);

// `text` as it can be shown on a terminal inside a message: control
// characters and bytes that are no UTF-8 written as \xNN (so that no escape
// sequence reaches the terminal), invisible characters as \uNNNN (or
// \UNNNNNNNN), so that the owner sees them, and a text longer than 60
// characters cut there with how much more there was.
std::string Printable(std::string_view text);
// As Printable, but never cut: a listing of what a change makes of a field.
std::string PrintableWhole(std::string_view text);
