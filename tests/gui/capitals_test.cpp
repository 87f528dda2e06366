// The capitals table the host raises letters with, against this system's
// own raising: CharUpperBuffW for every UTF-16 unit, and an edit control
// with the upper-case style, as the amend dialog's fields are, for the
// letters where other tables differ.
#include "platform/capitals.h"

#include <cstdio>

#include "tests/gui/gui_driver.h"

using namespace gui;

namespace {

std::string Unit(unsigned unit, unsigned got, unsigned want) {
  char text[48];
  std::snprintf(text, sizeof text, " U+%04X: %04X, not %04X;", unit, got, want);
  return text;
}

}  // namespace

GUI_TEST(TheHostsCapitalsAreThoseOfCharUpperBuffForEveryUnit) {
  (void)exe;  // no tallo.exe: the table against the system it runs on
  static wchar_t raised[0x10000];
  for (unsigned u = 0; u < 0x10000; ++u) raised[u] = static_cast<wchar_t>(u);
  ::CharUpperBuffW(raised, 0x10000);
  std::string differences;
  int count = 0;
  for (unsigned u = 0; u < 0x10000; ++u) {
    const unsigned table = platform::CapitalOf(static_cast<uint16_t>(u));
    if (table != static_cast<unsigned>(raised[u]) && ++count <= 8) {
      differences += Unit(u, table, raised[u]);
    }
  }
  Check(count == 0, std::to_string(count) + " units differ:" + differences);

  // The edit control raises set text as typed text; every letter here is one
  // that the C library raises otherwise (µ, ı, ſ, ς, ϐ, ǅ, ᲀ, ι, ẛ) or
  // whose capital some code page lacks (ƒ, é, ÿ, ⓐ).
  const std::wstring sample =
      L"az\u00B5\u0131\u017F\u03C2\u03D0\u01C5\u1C80\u1FBE\u1E9B"
      L"\u0192\u00E9\u00FF\u24D0\u0101\u0434\uFF41";
  HWND edit = ::CreateWindowExW(0, L"EDIT", L"", WS_POPUP | ES_UPPERCASE, 0, 0, 200, 20,
                                /*hWndParent=*/nullptr, /*hMenu=*/nullptr,
                                ::GetModuleHandleW(nullptr), /*lpParam=*/nullptr);
  Check(edit != nullptr, "no edit control");
  ::SetWindowTextW(edit, sample.c_str());
  const std::wstring shown = Text(edit);
  ::DestroyWindow(edit);
  Check(shown.size() == sample.size(), "the edit control holds " + Narrow(shown));
  std::string edited;
  for (size_t i = 0; i < sample.size(); ++i) {
    const unsigned table = platform::CapitalOf(static_cast<uint16_t>(sample[i]));
    if (table != static_cast<unsigned>(shown[i])) edited += Unit(sample[i], table, shown[i]);
  }
  Check(edited.empty(), "the edit control raises otherwise:" + edited);
}
