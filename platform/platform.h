// The one door to the operating system. Every other part of the program
// reaches files, message boxes, dialogs, text conversion and the storage card
// through these calls; platform/win32 and platform/host implement them, and
// the build picks one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// ---- Handles -------------------------------------------------------------

struct Window;  // a window or dialog; nullptr means "none"
using WindowRef = Window*;
struct File;  // an open file; nullptr means "not open"
using FileRef = File*;
struct Instance;  // the module that holds the resources
using InstanceRef = Instance*;

// ---- Files ---------------------------------------------------------------
// The calls (OpenFile, ReadFile, ...) go to the Env in use (platform/env.h,
// where each is said): the back end's own, or a test layer wrapped around it.

enum class Access {
  kRead,
  kWrite,
  kReadWrite,  // writing, and reading back what is there
};
enum class Disposition {
  kOpenExisting,  // fails when the file is missing
  kCreateNew,     // fails when the file exists: never replaces anything
  kCreateAlways,  // creates, or empties an existing file
};

// Why a file call failed: every file call returns it.
enum class FileError {
  kNone,        // the call succeeded
  kMissing,     // there is no file of that name
  kNoFolder,    // the folder the name lies in is not there
  kDenied,      // the user may not open the file so (or enter its folder)
  kReadOnly,    // the medium takes no write
  kNotRegular,  // a symbolic link, folder, device or pipe stands under the name
  kBusy,        // another program holds the file (see OpenFile)
  kDiskFull,    // the disk or card has no room left
  kOther,
};

// What became of a file call: done, or why not. Tests true when done.
class [[nodiscard]] FileResult {
 public:
  constexpr FileResult(FileError error = FileError::kNone) : error_(error) {}  // NOLINT
  constexpr bool ok() const { return error_ == FileError::kNone; }
  constexpr explicit operator bool() const { return ok(); }
  constexpr FileError error() const { return error_; }

 private:
  FileError error_;
};

// What became of an opening: the file, or nullptr and why.
struct [[nodiscard]] Opened {
  FileRef file = nullptr;
  FileError error = FileError::kNone;  // kNone while `file` is open
  explicit operator bool() const { return file != nullptr; }
};

// Returns after `milliseconds`, for a caller that tries a held file again.
void Pause(uint32_t milliseconds);

// What became of a change to a file's name.
enum class Renamed {
  kNot,       // it failed: both names are as they were
  kOnMedium,  // done, and on the medium
  // Done (`from` is gone and `to` names the file), but the folder could not
  // be pushed to the medium: a power cut may still undo it.
  kNotOnMedium,
};
// What became of a change to a file's name, and why it failed (kNot) or
// could not be pushed to the medium (kNotOnMedium), where the platform says.
struct [[nodiscard]] Renaming {
  Renamed renamed = Renamed::kNot;
  FileError error = FileError::kNone;
};

// The medium writes a file in sectors of this many bytes from its start. A
// power cut while it writes one may leave that sector holding neither its
// old bytes nor its new ones, or failing every read until it is written
// whole again.
constexpr uint32_t kSectorSize = 512;

// ---- Message boxes and sounds ----------------------------------------------
// The calls (ShowMessageBox, Beep, RunDialog, ...) go to the Ui in use
// (platform/ui.h, where each is said): the back end's own, or a layer
// wrapped around it.

constexpr unsigned kMbOk = 0;        // an OK button only
constexpr unsigned kMbOkCancel = 1;  // OK and Cancel
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

constexpr unsigned kBeepDefault = 0;
constexpr unsigned kBeepAsterisk = 64;

// ---- Dialogs -------------------------------------------------------------

constexpr unsigned kMsgClose = 16;
constexpr unsigned kMsgInitDialog = 272;
constexpr unsigned kMsgCommand = 273;

// A dialog procedure: a switch over the message number. For kMsgInitDialog,
// non-zero asks the dialog manager to put the focus on the first tab stop
// (selecting an edit's whole text), zero says the procedure placed it. For
// other messages, non-zero means handled; an unhandled close box becomes
// Cancel (command 2) where the dialog has a Cancel button.
using DialogProc = intptr_t (*)(WindowRef dialog, unsigned message, uintptr_t wparam,
                                intptr_t lparam);

// ---- Text ----------------------------------------------------------------

// Converts narrow text in the code page in use (the system's, unless
// UseCodePage chose one) to wide text. `srcBytes` is the source length, or -1
// for "up to and including the terminator". Writes at most `dstChars`
// characters; returns the count written, 0 on failure (including a
// destination that is too small). A byte sequence the code page leaves
// undefined converts as the system converts it, unless UseCodePage was
// called: then each such sequence (a lead byte without a trail byte that
// completes it, a byte no character begins with) becomes U+FFFD, which no
// code page here holds, and the conversion goes on with the next byte.
int NarrowToWide(const char* src, int srcBytes, wchar_t* dst, int dstChars);
// Converts zero-terminated wide text, terminator included, to the code page
// in use; a character the code page lacks becomes '?' (on Windows, before
// UseCodePage, the system may first try a look-alike). Writes at most
// `dstBytes` bytes; returns the count written, 0 on failure (including a
// destination that is too small).
int WideToNarrow(const wchar_t* src, char* dst, int dstBytes);
// Makes every narrow text of the process convert with Windows code page
// `codePage` from now on (0: the system's own), undefined byte sequences
// shown as U+FFFD. Returns the code page now in use; 0 when this system
// cannot convert with `codePage`, and nothing changes.
unsigned UseCodePage(unsigned codePage);

// Raises the letters of `text` in place as an edit control with the
// upper-case style raises typed and set text: each UTF-16 unit on its own,
// to a capital that lowers back to it (so µ, ı, ſ and ς stay as they are),
// the same on every platform. Never changes the text's length.
void RaiseLetters(std::wstring& text);

// ---- Storage card --------------------------------------------------------

constexpr size_t kCardFindRecordSize = 560;
constexpr size_t kCardObjectIdOffset = 36;
constexpr size_t kObjectInfoSize = 544;
constexpr size_t kObjectInfoNameOffset = 12;

// Searches for the first storage card and fills the 560-byte find record,
// whose bytes 36 to 39 carry the card's object id. False when there is none.
bool FindFirstStorageCard(uint8_t* findRecord);
// Fills the 544-byte information record of `objectId`; a folder's wide,
// zero-terminated name (16-bit little-endian units) begins at byte 12.
// False on failure.
bool GetObjectInfo(uint32_t objectId, uint8_t* info);

}  // namespace platform

// The file, memory and user-interface calls, each said where its interface
// declares it.
#include "platform/env.h"  // IWYU pragma: export
#include "platform/ui.h"   // IWYU pragma: export
