#include "filmtool/message_echo.h"

#include <cstdio>
#include <string>

#include "platform/utf8.h"

namespace {

// A console has no windows: boxes are written out, beeps are silent, and no
// dialog starts, on every back end alike.
class Echo : public platform::UiWrapper {
 public:
  Echo() : UiWrapper(platform::DefaultUi()) {}
  int ShowMessageBox(platform::WindowRef, const std::wstring& text, const std::wstring& caption,
                     unsigned) override {
    std::fprintf(stderr, "%s: %s\n", Utf8FromWide(caption).c_str(), Utf8FromWide(text).c_str());
    return platform::kIdOk;
  }
  void Beep(unsigned) override {}
  intptr_t RunDialog(int, platform::WindowRef, platform::DialogProc) override { return -1; }
};

}  // namespace

platform::Ui& MessageEcho() {
  static Echo echo;
  return echo;
}
