// Driving the back-office window (filmdesk.exe) under Wine: its settings,
// its main window and its state, the system's file dialogs it opens, its
// review list read from the other process, a file dropped on it, and
// filmtool.exe run beside it as the handheld's stand-in.
#pragma once

#include <string>
#include <vector>

#include "desk/desk_ids.h"
#include "tests/gui/gui_driver.h"

namespace gui {

// A program beside this driver (filmdesk.exe, filmtool.exe).
std::wstring BesideDriver(const wchar_t* name);

// The window's settings file, in this user's profile: written so that the
// window works on `folder`, or removed.
std::wstring DeskSettingsPath();
void UseShopFolder(const Folder& folder, const std::wstring& codePage = L"");

// Runs filmtool.exe with `arguments`, its standard output into the file
// `out` when given; its exit code.
DWORD RunFilmtool(const std::wstring& arguments, const std::wstring& out = L"");

// The window of a run of filmdesk.exe.
class Desk {
 public:
  explicit Desk(Tallo& program);
  HWND main() const { return main_; }
  std::wstring Text(int id) const;
  bool Enabled(int id) const;
  // Waits until the counts show (they start "Slots"); returns them.
  std::wstring Counts();
  // Waits until no step is under way: the progress bar hidden, Export
  // pressable.
  void WaitIdle(DWORD timeoutMs = 60000);
  // Waits until the messages field holds `text`.
  void WaitMessages(const std::wstring& text, DWORD timeoutMs = 60000);
  // Waits until the review's title, as it shows, starts with `start`, no
  // step under way.
  void WaitReview(const std::wstring& start, DWORD timeoutMs = 60000);
  // The review list, row by row, cell by cell, read from the window.
  std::vector<std::vector<std::wstring>> Rows() const;
  // The row whose first cell is `item` (after the part's heading
  // `heading`), or an empty row.
  std::vector<std::wstring> Row(const std::wstring& heading, const std::wstring& item) const;
  // Waits until control `id` has the keyboard focus.
  void WaitFocus(int id, DWORD timeoutMs = 5000);
  // Presses a button, the way a click does.
  void Press(int id) const { Click(main_, id); }
  // The message box over the window, its text read and OK pressed.
  std::wstring AnswerMessage();

 private:
  Tallo& program_;
  HWND main_;
};

// The system's file dialog titled `title` over `program`'s window: its file
// name field filled with `path`, and its OK button pressed. Returns the
// name the dialog suggested.
std::wstring AnswerFileDialog(Tallo& program, const std::wstring& title, const std::wstring& path);

// `path` dropped on `window` as the shell drops a file: a drop record in
// the other program's memory, handed over with WM_DROPFILES.
void DropFile(Tallo& program, HWND window, const std::wstring& path);

}  // namespace gui
