// Narrow text in the system's default code page (CP_ACP), or in the code page
// a tool chose, through which undefined byte sequences come out as U+FFFD.
#include <windows.h>

#include <cstring>

#include "platform/platform.h"

namespace platform {
namespace {

UINT codePage = CP_ACP;
bool chosen = false;
int longestCharacter = 2;  // bytes, for the chosen code page

// The text through MB_ERR_INVALID_CHARS; where that refuses it, character by
// character: the shortest run of bytes that makes a character, or U+FFFD
// for one byte that begins none.
int MarkedToWide(const char* src, int srcBytes, wchar_t* dst, int dstChars) {
  const int whole =
      ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, src, srcBytes, dst, dstChars);
  if (whole > 0 || ::GetLastError() != ERROR_NO_UNICODE_TRANSLATION) return whole;
  const int length = srcBytes < 0 ? static_cast<int>(std::strlen(src)) + 1 : srcBytes;
  int count = 0;
  for (int i = 0; i < length;) {
    wchar_t one[4];
    int got = 0;
    int used = 0;
    while (got == 0 && used < longestCharacter && i + used < length) {
      ++used;
      got = ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, src + i, used, one, 4);
    }
    if (got == 0) {
      one[0] = 0xFFFD;
      got = 1;
      used = 1;
    }
    if (count + got > dstChars) {
      ::SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(dst + count, one, static_cast<size_t>(got) * sizeof(wchar_t));
    count += got;
    i += used;
  }
  return count;
}

}  // namespace

int NarrowToWide(const char* src, int srcBytes, wchar_t* dst, int dstChars) {
  if (dstChars <= 0) return 0;
  if (chosen) return MarkedToWide(src, srcBytes, dst, dstChars);
  return ::MultiByteToWideChar(CP_ACP, 0, src, srcBytes, dst, dstChars);
}

int WideToNarrow(const wchar_t* src, char* dst, int dstBytes) {
  if (dstBytes <= 0) return 0;
  // No look-alikes for a chosen code page: '?', as on the host. UTF-8 and
  // GB18030 hold every character and take no such flag.
  const DWORD flags = chosen && codePage != CP_UTF8 && codePage != 54936 ? WC_NO_BEST_FIT_CHARS : 0;
  return ::WideCharToMultiByte(chosen ? codePage : CP_ACP, flags, src, -1, dst, dstBytes,
                               /*lpDefaultChar=*/nullptr, /*lpUsedDefaultChar=*/nullptr);
}

unsigned UseCodePage(unsigned page) {
  if (page == 0) page = ::GetACP();
  CPINFO info;
  wchar_t probe[1];
  // Some code pages refuse MB_ERR_INVALID_CHARS; they cannot be checked.
  if (!::IsValidCodePage(page) || !::GetCPInfo(page, &info) ||
      ::MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, "A", 1, probe, 1) != 1) {
    return 0;
  }
  codePage = page;
  chosen = true;
  longestCharacter = static_cast<int>(info.MaxCharSize);
  return page;
}

void RaiseLetters(std::wstring& text) {
  // The system's own capitals, not the host's table of them: the amend
  // dialog's fields raise typed text with these on this very system, and
  // filmtool.exe must store what the dialog stores here.
  if (!text.empty()) ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
}

}  // namespace platform
