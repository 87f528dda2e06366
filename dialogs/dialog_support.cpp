#include "dialogs/dialog_support.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "platform/app_handles.h"
#include "platform/field_text.h"
#include "resources/resource_ids.h"

char ScratchText[kScratchTextSize] = {};

DialogResult RunModal(int templateId, platform::DialogProc proc) {
  return platform::RunDialog(templateId, MainWindow, proc) > 0 ? DialogResult::kOk
                                                               : DialogResult::kCancelled;
}

intptr_t EndOnOkOrCancel(platform::WindowRef dialog, unsigned message, uintptr_t wparam,
                         void (*accept)(platform::WindowRef dialog)) {
  switch (message) {
    case platform::kMsgCommand:
      switch (CommandId(wparam)) {
        case IDOK:
          if (accept != nullptr) accept(dialog);
          return Finish(dialog, 1);
        case IDCANCEL:
          return Finish(dialog, 0);
        default:
          return 0;
      }
    case platform::kMsgClose:
      return Finish(dialog, 0);
    default:
      return 0;
  }
}

std::wstring WideFromText(const char* text, size_t bufferSize) {
  return platform::WideFromField(reinterpret_cast<const uint8_t*>(text), bufferSize);
}

std::wstring ControlText(platform::WindowRef dialog, int id, int maxChars) {
  std::vector<wchar_t> wide(static_cast<size_t>(maxChars) + 1);
  const int chars = platform::GetControlText(dialog, id, wide.data(), maxChars + 1);
  return std::wstring(wide.data(), static_cast<size_t>(chars));
}

bool ControlToNarrow(platform::WindowRef dialog, int id, int maxChars, char* out, int roomBytes) {
  return platform::NarrowInto(ControlText(dialog, id, maxChars), out, roomBytes);
}

std::wstring WideThroughScratch(const std::string& printed) {
  std::strncpy(ScratchText, printed.c_str(), sizeof ScratchText - 1);
  return WideFromText(ScratchText, sizeof ScratchText);
}

void ResetDialogState() { std::memset(ScratchText, 0, sizeof ScratchText); }
