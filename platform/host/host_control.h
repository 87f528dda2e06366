// What tests and host tools can do to the host back end: choose the folder
// that bare file names resolve in, inject file faults, script the storage
// card, and read back every message box and beep the program produced.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "platform/platform.h"

namespace platform::host {

// ---- Files ---------------------------------------------------------------

// Relative paths (such as "film.dat") resolve inside this folder; empty means
// the process's working folder. Backslashes in paths are folder separators.
void SetWorkingFolder(const std::string& folder);
std::string HostPath(const std::wstring& path);

enum class FileOp { kOpen, kRead, kWrite, kSeek, kSize, kFlush, kCount };
enum class Fault {
  kFail,   // the call reports failure
  kShort,  // reads and writes move half the bytes and report success
};
// Makes the `nth` call of `op` from now on (1 = the next one) misbehave;
// with `persistent`, every call from that one on does.
void InjectFault(FileOp op, int nth, Fault fault = Fault::kFail, bool persistent = false);
// Makes the `nth` allocation from now on fail.
void InjectAllocationFault(int nth);
// Calls of `op` since the last ResetHost().
int OperationCount(FileOp op);

// ---- Storage card ----------------------------------------------------------

enum class CardState { kAbsent, kPresent, kUnreadable };
// kPresent: the card's folder name is `folder`. kUnreadable: the card is
// found but its details cannot be read.
void SetStorageCard(CardState state, const std::wstring& folder = L"");

// ---- Message boxes and beeps ------------------------------------------------

struct UiEvent {
  enum class Kind { kBeep, kMessageBox };
  Kind kind;
  unsigned sound = 0;      // kBeep
  std::wstring text;       // kMessageBox
  std::wstring caption;
  unsigned style = 0;
  std::string owner;       // "none", "main" or "dialog <id>"
};
const std::vector<UiEvent>& Events();
// Answers for the next message boxes, in order; a box with no queued answer
// is answered OK.
void QueueMessageBoxAnswer(int answer);
// Also print every message box as "caption: text" on `stream` (nullptr: off).
void EchoMessagesTo(std::FILE* stream);

// The stand-in for the program's main window, for use as a dialog owner.
WindowRef MainWindowStandIn();
// True once PostQuit has been called; the code it carried.
bool QuitRequested(int* exitCode = nullptr);

// Back to the start state: no faults, no card, no events, no working folder.
void ResetHost();

// UTF-8 <-> wide, for paths and terminal output.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace platform::host
