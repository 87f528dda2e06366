#include "tests/gui/gui_driver.h"

#include <cstdio>

namespace gui {
namespace {

constexpr DWORD kPollMs = 50;

struct Search {
  DWORD pid;
  std::wstring className;
  std::wstring title;  // empty: any title
  std::vector<HWND> found;
};

BOOL CALLBACK CollectWindows(HWND window, LPARAM lparam) {
  auto* search = reinterpret_cast<Search*>(lparam);
  DWORD pid = 0;
  ::GetWindowThreadProcessId(window, &pid);
  if (pid != search->pid || !::IsWindowVisible(window) || ClassOf(window) != search->className) {
    return TRUE;
  }
  if (search->title.empty() || Text(window) == search->title) search->found.push_back(window);
  return TRUE;
}

std::vector<HWND> FindWindows(DWORD pid, const std::wstring& className, const std::wstring& title) {
  Search search{pid, className, title, {}};
  ::EnumWindows(CollectWindows, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

std::vector<HWND> FindDialogs(DWORD pid, const std::wstring& title) {
  return FindWindows(pid, L"#32770", title);
}

}  // namespace

void Check(bool condition, const std::string& what) {
  if (!condition) throw Failure{what};
}

std::string Narrow(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) out += c < 128 ? static_cast<char>(c) : '?';
  return out;
}

void Pause(DWORD ms) { ::Sleep(ms); }

// ---- Folder ---------------------------------------------------------------

Folder::Folder(const std::wstring& name) {
  wchar_t current[MAX_PATH];
  ::GetCurrentDirectoryW(MAX_PATH, current);
  ::CreateDirectoryW((std::wstring(current) + L"\\work").c_str(), nullptr);
  path_ = std::wstring(current) + L"\\work\\" + name;
  ::CreateDirectoryW(path_.c_str(), nullptr);
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((path_ + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) Remove(data.cFileName);
    } while (::FindNextFileW(find, &data));
    ::FindClose(find);
  }
}

std::wstring Folder::Path(const std::wstring& name) const {
  return name.empty() ? path_ : path_ + L"\\" + name;
}

void Folder::Write(const std::wstring& name, const Bytes& bytes) const {
  WriteAt(Path(name), bytes);
}

Bytes Folder::Read(const std::wstring& name) const { return ReadAt(Path(name)); }

void Folder::WriteAt(const std::wstring& path, const Bytes& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(file != INVALID_HANDLE_VALUE, "cannot create " + Narrow(path));
  DWORD written = 0;
  const BOOL ok =
      ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  ::CloseHandle(file);
  Check(ok && written == bytes.size(), "cannot write " + Narrow(path));
}

Bytes Folder::ReadAt(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  Bytes bytes(::GetFileSize(file, nullptr));
  DWORD read = 0;
  ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
  ::CloseHandle(file);
  bytes.resize(read);
  return bytes;
}

bool Folder::Exists(const std::wstring& name) const {
  return ::GetFileAttributesW(Path(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void Folder::Remove(const std::wstring& name) const { RemoveAt(Path(name)); }

void Folder::RemoveAt(const std::wstring& path) { ::DeleteFileW(path.c_str()); }

// ---- Tallo ------------------------------------------------------------------

Tallo::Tallo(const std::wstring& exe, const Folder& folder, const std::wstring& arguments) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  std::wstring commandLine = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  const BOOL started = ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                                        nullptr, folder.Path().c_str(), &startup, &process_);
  Check(started != FALSE, "cannot start tallo.exe: error " + std::to_string(::GetLastError()));
  ::WaitForInputIdle(process_.hProcess, kWaitMs);
}

Tallo::~Tallo() {
  if (process_.hProcess == nullptr) return;
  if (Running()) {
    ::TerminateProcess(process_.hProcess, 99);
    ::WaitForSingleObject(process_.hProcess, kWaitMs);
  }
  ::CloseHandle(process_.hThread);
  ::CloseHandle(process_.hProcess);
}

bool Tallo::Running() const { return ::WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

HWND Tallo::MainWindow(DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += kPollMs) {
    HWND window = ::FindWindowW(L"MYTALLO", L"Norvi Utility");
    DWORD owner = 0;
    if (window != nullptr) ::GetWindowThreadProcessId(window, &owner);
    if (window != nullptr && owner == pid() && ::IsWindowVisible(window)) return window;
    Check(waited < timeoutMs, "the main window did not appear");
    Check(Running(), "tallo.exe ended before its main window appeared");
    ::Sleep(kPollMs);
  }
}

DWORD Tallo::WaitExit(DWORD timeoutMs) {
  Check(::WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0,
        "tallo.exe did not end in time");
  DWORD code = 0;
  ::GetExitCodeProcess(process_.hProcess, &code);
  return code;
}

bool Tallo::Exited(DWORD timeoutMs) {
  return ::WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

HWND Tallo::Dialog(const std::wstring& title, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += kPollMs) {
    const std::vector<HWND> found = FindDialogs(pid(), title);
    if (!found.empty()) return found.front();
    Check(waited < timeoutMs, "no dialog \"" + Narrow(title) + "\" appeared");
    Check(Running(), "tallo.exe ended while a dialog \"" + Narrow(title) + "\" was awaited");
    ::Sleep(kPollMs);
  }
}

HWND Tallo::Window(const std::wstring& className, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += kPollMs) {
    const std::vector<HWND> found = FindWindows(pid(), className, L"");
    if (!found.empty()) return found.front();
    if (waited >= timeoutMs) return nullptr;
    ::Sleep(kPollMs);
  }
}

std::vector<HWND> Tallo::Dialogs() const { return FindDialogs(pid(), L""); }

bool Tallo::DialogGone(const std::wstring& title, DWORD timeoutMs) {
  for (DWORD waited = 0; waited <= timeoutMs; waited += kPollMs) {
    if (FindDialogs(pid(), title).empty()) return true;
    ::Sleep(kPollMs);
  }
  return false;
}

// ---- Windows of another process --------------------------------------------

std::wstring Text(HWND window) {
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  ::SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        2000, &copied);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

std::wstring MessageText(HWND box) { return Text(::GetDlgItem(box, 0xFFFF)); }

void Click(HWND dialog, int id) {
  HWND button = ::GetDlgItem(dialog, id);
  Check(button != nullptr, "no control " + std::to_string(id) + " to click");
  ::PostMessageW(button, BM_CLICK, 0, 0);
}

void PostCommand(HWND window, int id) { ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void SetText(HWND dialog, int id, const std::wstring& text) {
  HWND control = ::GetDlgItem(dialog, id);
  Check(control != nullptr, "no control " + std::to_string(id) + " to fill");
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()),
                        SMTO_ABORTIFHUNG, 2000, &ignored);
}

void Type(HWND dialog, int id, const std::wstring& text) {
  HWND control = ::GetDlgItem(dialog, id);
  Check(control != nullptr, "no control " + std::to_string(id) + " to type into");
  for (wchar_t c : text) ::PostMessageW(control, WM_CHAR, c, 1);
  // Let the characters arrive before anything else is posted.
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(control, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
}

namespace {

// Under Wine in a virtual desktop, mouse input comes from two places: what
// this driver injects, and what Wine makes of X events. The latter is never a
// hand on a mouse here (Xvfb has none) but an echo of the X pointer crossing
// windows. Each pointer move that SendInput makes is repeated on the X server
// as a warp inside a pointer grab, and the grab's crossing events come back
// as moves: from the desktop window's owner (explorer.exe), a move back to
// where the X pointer was before the warp; from the program under the
// pointer, a move to the new place. The two processes race. When the stale
// move lands last, ahead of this driver's press, the press is taken where the
// previous click was: on the menu bar's "Exit", which ended the program when
// HELP was meant. So mouse input this driver did not inject is dropped, and
// the pointer is only ever where the driver put it. (With the hook set, Wine
// no longer warps the X pointer at all, so GetCursorPos may report the X
// pointer's old place; nothing here relies on it.)
LRESULT CALLBACK KeepOnlyInjected(int code, WPARAM wparam, LPARAM lparam) {
  const auto* event = reinterpret_cast<const MSLLHOOKSTRUCT*>(lparam);
  if (code == HC_ACTION && (event->flags & LLMHF_INJECTED) == 0) return 1;
  return ::CallNextHookEx(nullptr, code, wparam, lparam);
}

// A low-level hook is called in the thread that set it, which must be
// taking messages all the while: a thread of its own.
struct MouseHook {
  HANDLE ready;
  bool set;
};

DWORD WINAPI RunMouseHook(LPVOID param) {
  auto* hook = static_cast<MouseHook*>(param);
  MSG message;
  ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE);  // makes the thread's queue
  hook->set =
      ::SetWindowsHookExW(WH_MOUSE_LL, KeepOnlyInjected, ::GetModuleHandleW(nullptr), 0) != nullptr;
  ::SetEvent(hook->ready);
  while (::GetMessageW(&message, nullptr, 0, 0) > 0) ::DispatchMessageW(&message);
  return 0;
}

// Set once, before the first click, for the rest of the run.
void OnlyThisDriverMovesTheMouse() {
  static const bool set = [] {
    static MouseHook hook = {::CreateEventW(nullptr, TRUE, FALSE, nullptr), false};
    HANDLE thread = ::CreateThread(nullptr, 0, RunMouseHook, &hook, 0, nullptr);
    const bool ready =
        thread != nullptr && ::WaitForSingleObject(hook.ready, kWaitMs) == WAIT_OBJECT_0;
    if (thread != nullptr) ::CloseHandle(thread);
    ::CloseHandle(hook.ready);
    return ready && hook.set;
  }();
  Check(set, "cannot hook the mouse");
}

}  // namespace

void MouseClick(int x, int y) {
  OnlyThisDriverMovesTheMouse();
  const int width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  // Move, press and release as separate events, as a hand would.
  const DWORD steps[] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
  for (DWORD flags : steps) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = x * 65535 / (width - 1);
    input.mi.dy = y * 65535 / (height - 1);
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
    ::SendInput(1, &input, sizeof input);
    ::Sleep(30);
  }
}

bool BringForward(HWND window) {
  // Joining the window's input queue lets this process hand it the
  // foreground, as a click on it would.
  const DWORD thread = ::GetWindowThreadProcessId(window, nullptr);
  ::AttachThreadInput(::GetCurrentThreadId(), thread, TRUE);
  for (int i = 0; i < 50 && ::GetForegroundWindow() != window; ++i) {
    ::SetForegroundWindow(window);
    ::BringWindowToTop(window);
    ::Sleep(20);
  }
  ::AttachThreadInput(::GetCurrentThreadId(), thread, FALSE);
  return ::GetForegroundWindow() == window;
}

void KeyChord(WORD modifier, WORD key) {
  INPUT input[4] = {};
  const WORD keys[4] = {modifier, key, key, modifier};
  for (int i = 0; i < 4; ++i) {
    input[i].type = INPUT_KEYBOARD;
    input[i].ki.wVk = keys[i];
    input[i].ki.dwFlags = i < 2 ? 0 : KEYEVENTF_KEYUP;
  }
  ::SendInput(4, input, sizeof(INPUT));
}

void Key(WORD key) {
  INPUT input[2] = {};
  for (int i = 0; i < 2; ++i) {
    input[i].type = INPUT_KEYBOARD;
    input[i].ki.wVk = key;
    input[i].ki.dwFlags = i == 0 ? 0 : KEYEVENTF_KEYUP;
  }
  ::SendInput(2, input, sizeof(INPUT));
}

HWND FocusOf(HWND window) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  ::GetGUIThreadInfo(::GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// ---- Registry -----------------------------------------------------------------

std::vector<TestCase>& Registry() {
  static std::vector<TestCase> tests;
  return tests;
}

Register::Register(const char* name, std::function<void(const std::wstring&)> run,
                   unsigned codePage) {
  Registry().push_back({name, std::move(run), codePage});
}

}  // namespace gui
