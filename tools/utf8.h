// UTF-8, the back office's text on the command line, in CSV files and on
// the terminal, to and from wide text: UTF-32 where wchar_t has 32 bits,
// UTF-16 where it has 16.
#pragma once

#include <string>

// False for text that is no well-formed UTF-8 (a cut or overlong sequence,
// a surrogate, a value beyond U+10FFFF).
bool WideFromUtf8(const std::string& utf8, std::wstring* wide);
// The text as UTF-8; a lone surrogate becomes U+FFFD.
std::string Utf8FromWide(const std::wstring& wide);
