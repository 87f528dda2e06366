// The system's default code page (CP_ACP) for every narrow text.
#include <windows.h>

#include "platform/platform.h"

namespace platform {

int NarrowToWide(const char* src, int srcBytes, wchar_t* dst, int dstChars) {
  if (dstChars <= 0) return 0;
  return ::MultiByteToWideChar(CP_ACP, 0, src, srcBytes, dst, dstChars);
}

int WideToNarrow(const wchar_t* src, char* dst, int dstBytes) {
  if (dstBytes <= 0) return 0;
  return ::WideCharToMultiByte(CP_ACP, 0, src, -1, dst, dstBytes, /*lpDefaultChar=*/nullptr,
                               /*lpUsedDefaultChar=*/nullptr);
}

void RaiseLetters(std::wstring& text) {
  if (!text.empty()) ::CharUpperBuffW(text.data(), static_cast<DWORD>(text.size()));
}

}  // namespace platform
