// The Windows test driver's toolkit: start tallo.exe in a folder of its own,
// find its windows, press its buttons, type, read message boxes and check
// files. Every wait is bounded.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace gui {

using Bytes = std::vector<uint8_t>;

constexpr DWORD kWaitMs = 10000;

// A failed check: the message is printed and the test ends.
struct Failure {
  std::string message;
};
void Check(bool condition, const std::string& what);
std::string Narrow(const std::wstring& text);

// A folder of its own for one test, holding the files it prepares.
class Folder {
 public:
  explicit Folder(const std::wstring& name);
  std::wstring Path(const std::wstring& name = L"") const;
  void Write(const std::wstring& name, const Bytes& bytes) const;
  Bytes Read(const std::wstring& name) const;
  bool Exists(const std::wstring& name) const;
  void Remove(const std::wstring& name) const;
  // The same for any full path.
  static void WriteAt(const std::wstring& path, const Bytes& bytes);
  static Bytes ReadAt(const std::wstring& path);
  static void RemoveAt(const std::wstring& path);

 private:
  std::wstring path_;
};

// One run of tallo.exe (or of another of the family's programs, with
// `arguments` after its name); ended by force when the object goes unless
// it has exited by then.
class Tallo {
 public:
  Tallo(const std::wstring& exe, const Folder& folder, const std::wstring& arguments = L"");
  ~Tallo();
  Tallo(const Tallo&) = delete;
  Tallo& operator=(const Tallo&) = delete;

  DWORD pid() const { return process_.dwProcessId; }
  HANDLE process() const { return process_.hProcess; }
  // The main window once it is visible.
  HWND MainWindow(DWORD timeoutMs = kWaitMs);
  // The exit code, or fails when the process does not end in time.
  DWORD WaitExit(DWORD timeoutMs = kWaitMs);
  bool Running() const;

  // True when the process has ended within the time.
  bool Exited(DWORD timeoutMs);
  // A visible top-level dialog of this process (class #32770) whose title is
  // `title` (any title when empty), waited for; fails when none appears.
  HWND Dialog(const std::wstring& title, DWORD timeoutMs = kWaitMs);
  // A visible top-level window of this process of class `className`, or
  // nullptr when none appears in time.
  HWND Window(const std::wstring& className, DWORD timeoutMs = kWaitMs);
  // Every visible top-level dialog of this process.
  std::vector<HWND> Dialogs() const;
  // True when no dialog of this title stays visible within the time.
  bool DialogGone(const std::wstring& title, DWORD timeoutMs = kWaitMs);

 private:
  PROCESS_INFORMATION process_ = {};
};

// The text of any window, also of another process's controls.
std::wstring Text(HWND window);
std::wstring ClassOf(HWND window);
// A message box's text (its static control 0xFFFF).
std::wstring MessageText(HWND box);
// Presses a button the way a click does, without waiting for its handler.
void Click(HWND dialog, int id);
// Sends a command with an id to a window, without waiting.
void PostCommand(HWND window, int id);
// Sets an edit control's text.
void SetText(HWND dialog, int id, const std::wstring& text);
// Types characters one by one, as the keyboard would deliver them.
void Type(HWND dialog, int id, const std::wstring& text);
// Real input: a left click at a screen point, and a key chord. From the
// first click on, mouse input that this driver did not make is dropped.
void MouseClick(int x, int y);
void KeyChord(WORD modifier, WORD key);
void Key(WORD key);
// Makes `window` the foreground window; false when it would not come.
bool BringForward(HWND window);
// The window that has the keyboard focus in `window`'s thread.
HWND FocusOf(HWND window);
// Lets the program run for a moment.
void Pause(DWORD ms);

// The test table. Each test runs where the system's code page is its own
// (Wine takes it from LANG): 1252 unless it names another.
struct TestCase {
  const char* name;
  std::function<void(const std::wstring& exe)> run;
  unsigned codePage;
};
std::vector<TestCase>& Registry();
struct Register {
  Register(const char* name, std::function<void(const std::wstring&)> run,
           unsigned codePage = 1252);
};

}  // namespace gui

#define GUI_TEST(name) GUI_TEST_IN_CODE_PAGE(name, 1252)
#define GUI_TEST_IN_CODE_PAGE(name, codePage)                      \
  static void name(const std::wstring& exe);                       \
  static gui::Register name##_registration(#name, name, codePage); \
  static void name(const std::wstring& exe)
