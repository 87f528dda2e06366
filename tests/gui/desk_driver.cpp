#include "tests/gui/desk_driver.h"

#include <commctrl.h>
#include <shlobj.h>

#include <cstring>

namespace gui {
namespace {

constexpr DWORD kPollMs = 50;

std::string Utf8(const std::wstring& text) {
  const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                      nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n,
                        nullptr, nullptr);
  return bytes;
}

// A block of the other process's memory, for the messages whose parameters
// point into it.
class Remote {
 public:
  Remote(HANDLE process, size_t bytes) : process_(process) {
    at_ = static_cast<uint8_t*>(
        ::VirtualAllocEx(process, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
    Check(at_ != nullptr, "cannot have memory in the program");
  }
  ~Remote() { ::VirtualFreeEx(process_, at_, 0, MEM_RELEASE); }
  uint8_t* at() const { return at_; }
  void Write(size_t offset, const void* data, size_t size) const {
    SIZE_T done = 0;
    Check(::WriteProcessMemory(process_, at_ + offset, data, size, &done) && done == size,
          "cannot write into the program's memory");
  }
  void Read(size_t offset, void* data, size_t size) const {
    SIZE_T done = 0;
    Check(::ReadProcessMemory(process_, at_ + offset, data, size, &done) && done == size,
          "cannot read the program's memory");
  }
  // Handing the block over is for its receiver to free (DragFinish).
  void Release() { at_ = nullptr; }

 private:
  HANDLE process_;
  uint8_t* at_;
};

// A label's text as it shows: its mnemonic's mark left out, "&&" one "&".
std::wstring Shown(const std::wstring& label) {
  std::wstring shown;
  for (size_t i = 0; i < label.size(); ++i) {
    if (label[i] == L'&' && ++i == label.size()) break;
    shown += label[i];
  }
  return shown;
}

}  // namespace

std::wstring BesideDriver(const wchar_t* name) {
  wchar_t self[MAX_PATH] = {};
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

std::wstring DeskSettingsPath() {
  wchar_t profile[MAX_PATH] = {};
  Check(SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, profile)),
        "no profile folder");
  const std::wstring folder = std::wstring(profile) + L"\\tallo";
  ::CreateDirectoryW(folder.c_str(), nullptr);
  return folder + L"\\filmdesk.ini";
}

void UseShopFolder(const Folder& folder, const std::wstring& codePage) {
  const std::string text = "folder=" + Utf8(folder.Path()) + "\r\ncodepage=" + Utf8(codePage) +
                           "\r\nsheets=" + Utf8(folder.Path()) + "\r\n";
  Folder::WriteAt(DeskSettingsPath(), Bytes(text.begin(), text.end()));
}

DWORD RunFilmtool(const std::wstring& arguments, const std::wstring& out) {
  SECURITY_ATTRIBUTES inherited = {sizeof inherited, nullptr, TRUE};
  HANDLE output = INVALID_HANDLE_VALUE;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  if (!out.empty()) {
    output = ::CreateFileW(out.c_str(), GENERIC_WRITE, 0, &inherited, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    Check(output != INVALID_HANDLE_VALUE, "cannot make " + Narrow(out));
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
  }
  const std::wstring exe = BesideDriver(L"filmtool.exe");
  std::wstring commandLine = L"\"" + exe + L"\" " + arguments;
  PROCESS_INFORMATION process = {};
  const BOOL started = ::CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0,
                                        nullptr, nullptr, &startup, &process);
  if (output != INVALID_HANDLE_VALUE) ::CloseHandle(output);
  Check(started != FALSE, "cannot start filmtool.exe");
  const bool ended = ::WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0;
  DWORD code = 99;
  ::GetExitCodeProcess(process.hProcess, &code);
  ::CloseHandle(process.hThread);
  ::CloseHandle(process.hProcess);
  Check(ended, "filmtool.exe did not end");
  return code;
}

Desk::Desk(Tallo& program) : program_(program), main_(program.Window(L"FILMDESK", kWaitMs)) {
  Check(main_ != nullptr, "the back-office window did not appear");
}

std::wstring Desk::Text(int id) const { return gui::Text(::GetDlgItem(main_, id)); }

bool Desk::Enabled(int id) const { return ::IsWindowEnabled(::GetDlgItem(main_, id)) != FALSE; }

std::wstring Desk::Counts() {
  for (DWORD waited = 0;; waited += kPollMs) {
    const std::wstring counts = Text(IDC_COUNTS);
    if (counts.rfind(L"Slots", 0) == 0) return counts;
    Check(waited < kWaitMs, "no counts: " + Narrow(counts) + "; " + Narrow(Text(IDC_MESSAGES)));
    Pause(kPollMs);
  }
}

void Desk::WaitFocus(int id, DWORD timeoutMs) {
  HWND control = ::GetDlgItem(main_, id);
  for (DWORD waited = 0; FocusOf(main_) != control; waited += kPollMs) {
    Check(waited < timeoutMs, "control " + std::to_string(id) + " has not the focus");
    Pause(kPollMs);
  }
}

void Desk::WaitIdle(DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += kPollMs) {
    const bool working = ::IsWindowVisible(::GetDlgItem(main_, IDC_PROGRESS)) != FALSE;
    if (!working && Enabled(IDC_EXPORT)) return;
    Check(waited < timeoutMs, "the window's work did not end");
    Check(program_.Running(), "filmdesk.exe ended");
    Pause(kPollMs);
  }
}

void Desk::WaitMessages(const std::wstring& text, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += kPollMs) {
    const std::wstring messages = Text(IDC_MESSAGES);
    if (messages.find(text) != std::wstring::npos) return;
    Check(waited < timeoutMs, "no message \"" + Narrow(text) + "\": " + Narrow(messages));
    Check(program_.Running(), "filmdesk.exe ended");
    Pause(kPollMs);
  }
}

void Desk::WaitReview(const std::wstring& start, DWORD timeoutMs) {
  for (DWORD waited = 0;; waited += kPollMs) {
    const std::wstring title = Shown(Text(IDC_REVIEW_TITLE));
    const bool working = ::IsWindowVisible(::GetDlgItem(main_, IDC_PROGRESS)) != FALSE;
    if (!working && title.rfind(start, 0) == 0) return;
    Check(waited < timeoutMs, "the review is not \"" + Narrow(start) + "...\": " + Narrow(title) +
                                  "; " + Narrow(Text(IDC_MESSAGES)));
    Check(program_.Running(), "filmdesk.exe ended");
    Pause(kPollMs);
  }
}

std::vector<std::vector<std::wstring>> Desk::Rows() const {
  HWND list = ::GetDlgItem(main_, IDC_REVIEW);
  DWORD_PTR count = 0;
  ::SendMessageTimeoutW(list, LVM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &count);
  HWND header = ListView_GetHeader(list);
  DWORD_PTR columns = 0;
  ::SendMessageTimeoutW(header, HDM_GETITEMCOUNT, 0, 0, SMTO_ABORTIFHUNG, 2000, &columns);
  constexpr int kChars = 1024;
  Remote block(program_.process(), sizeof(LVITEMW) + kChars * sizeof(wchar_t));
  std::vector<std::vector<std::wstring>> rows;
  for (int row = 0; row < static_cast<int>(count); ++row) {
    rows.emplace_back();
    for (int column = 0; column < static_cast<int>(columns); ++column) {
      LVITEMW item = {};
      item.mask = LVIF_TEXT;
      item.iItem = row;
      item.iSubItem = column;
      item.pszText = reinterpret_cast<wchar_t*>(block.at() + sizeof(LVITEMW));
      item.cchTextMax = kChars;
      block.Write(0, &item, sizeof item);
      DWORD_PTR length = 0;
      ::SendMessageTimeoutW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row),
                            reinterpret_cast<LPARAM>(block.at()), SMTO_ABORTIFHUNG, 2000, &length);
      std::wstring text(length, L'\0');
      if (length > 0) block.Read(sizeof(LVITEMW), text.data(), length * sizeof(wchar_t));
      rows.back().push_back(text);
    }
  }
  return rows;
}

std::vector<std::wstring> Desk::Row(const std::wstring& heading, const std::wstring& item) const {
  bool inPart = false;
  for (const std::vector<std::wstring>& row : Rows()) {
    if (!row.empty() && row[0].rfind(heading, 0) == 0) inPart = true;
    if (inPart && !row.empty() && row[0] == item) return row;
  }
  return {};
}

std::wstring Desk::AnswerMessage() {
  HWND box = program_.Dialog(L"tallo back office");
  const std::wstring text = MessageText(box);
  Check(::GetWindow(box, GW_OWNER) == main_, "the message is not owned by the window");
  Click(box, IDOK);
  Check(program_.DialogGone(L"tallo back office"), "the message did not close");
  return text;
}

std::wstring AnswerFileDialog(Tallo& program, const std::wstring& title, const std::wstring& path) {
  HWND dialog = program.Dialog(title);
  // The name field: a combo box with an edit in newer dialogs, an edit in
  // older ones.
  HWND name = ::GetDlgItem(dialog, 0x47C);  // cmb13
  if (name != nullptr && ClassOf(name) == L"ComboBox") {
    HWND edit = ::FindWindowExW(name, nullptr, L"Edit", nullptr);
    if (edit != nullptr) name = edit;
  }
  if (name == nullptr) name = ::GetDlgItem(dialog, 0x480);  // edt1
  Check(name != nullptr, "no file name field in \"" + Narrow(title) + "\"");
  const std::wstring suggested = gui::Text(name);
  DWORD_PTR ignored = 0;
  ::SendMessageTimeoutW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()),
                        SMTO_ABORTIFHUNG, 2000, &ignored);
  Click(dialog, IDOK);
  Check(program.DialogGone(title), "\"" + Narrow(title) + "\" did not close");
  return suggested;
}

void DropFile(Tallo& program, HWND window, const std::wstring& path) {
  // A DROPFILES record, then the names, each ended, and one more end.
  std::vector<uint8_t> record(sizeof(DROPFILES));
  DROPFILES drop = {};
  drop.pFiles = sizeof(DROPFILES);
  drop.pt = {40, 40};
  drop.fWide = TRUE;
  std::memcpy(record.data(), &drop, sizeof drop);
  const std::wstring names = path + L'\0' + L'\0';
  const auto* bytes = reinterpret_cast<const uint8_t*>(names.data());
  record.insert(record.end(), bytes, bytes + names.size() * sizeof(wchar_t));
  Remote block(program.process(), record.size());
  block.Write(0, record.data(), record.size());
  Check(::PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(block.at()), 0) != FALSE,
        "cannot drop on the window");
  block.Release();
}

}  // namespace gui
