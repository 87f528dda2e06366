// A driver that keeps one tallo.exe running and amends items when told, for
// scripts that race other programs against it (scripts/one-writer-test.sh).
// It works on work\one-writer below its working folder, which it empties
// first. A line on standard input asks, a line on standard output answers:
//   start                 -> "started" once tallo.exe, over the film.dat the
//                            script put in the folder meanwhile, shows its
//                            main window
//   amend NUMBER STOCK    -> "done" when the amendment ended without a
//                            message, or "refused TEXT" with the message it
//                            showed (answered with OK)
//   exit                  -> "exited" once tallo.exe has ended with code 0
// A step that fails answers "failed WHAT" and the driver ends with 1.
//   amend_driver TALLO.EXE
#include <cstdio>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>

#include "tests/gui/records_shared.h"

using namespace gui;

namespace {

// The answer to a line, on a line of its own at once: the script waits for it.
void Answer(const std::string& line) {
  std::printf("%s\n", line.c_str());
  std::fflush(stdout);
}

// How long the amendment may take: the script may stop tallo.exe for a few
// seconds while it holds film.dat.
constexpr DWORD kAmendMs = 60000;

// What became of the amendment that OK started: tallo.exe tells a failure in
// a message box and a success not at all, so the driver waits until it
// takes a message again (it then waits in its main loop or in the box's),
// and then for the box that a failure shows.
std::string Outcome(Tallo& tallo, HWND main) {
  const DWORD start = ::GetTickCount();
  DWORD_PTR ignored = 0;
  while (::SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 1000, &ignored) == 0) {
    Check(::GetTickCount() - start < kAmendMs, "tallo.exe took no message after OK");
    Check(tallo.Running(), "tallo.exe ended during the amendment");
  }
  for (int i = 0; i < 10; ++i) {
    const std::vector<HWND> boxes = tallo.Dialogs();
    if (!boxes.empty()) {
      const std::wstring text = MessageText(boxes.front());
      Click(boxes.front(), IDOK);
      Check(tallo.DialogGone(Text(boxes.front())), "the message did not close");
      return "refused " + Narrow(text);
    }
    Pause(50);
  }
  return "done";
}

void Amend(Tallo& tallo, HWND main, const std::wstring& number, const std::wstring& stock) {
  Ask(tallo, main, IDC_AMEND, L"Number/description/fragment", number);
  HWND amend = tallo.Dialog(L"Amend inventory");
  SetText(amend, IDC_IN_STOCK, stock);
  Click(amend, IDOK);
  Check(tallo.DialogGone(L"Amend inventory", kAmendMs), "the amend dialog did not close");
  Answer(Outcome(tallo, main));
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: amend_driver TALLO.EXE\n");
    return 2;
  }
  try {
    const Folder folder(L"one-writer");
    std::unique_ptr<Tallo> tallo;
    HWND main = nullptr;
    for (std::string line; std::getline(std::cin, line);) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      std::istringstream words(line);
      std::string verb, number, stock;
      words >> verb >> number >> stock;
      if (verb == "start" && !tallo) {
        tallo = std::make_unique<Tallo>(argv[1], folder);
        main = tallo->MainWindow();
        Answer("started");
      } else if (verb == "amend" && tallo && !stock.empty()) {
        Amend(*tallo, main, std::wstring(number.begin(), number.end()),
              std::wstring(stock.begin(), stock.end()));
      } else if (verb == "exit" && tallo) {
        Exit(*tallo, main);
        Answer("exited");
        return 0;
      } else {
        Answer("failed no such step: " + line);
        return 1;
      }
    }
  } catch (const Failure& failure) {
    Answer("failed " + failure.message);
    return 1;
  }
  return 0;
}
