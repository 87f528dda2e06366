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
// Every call below goes to the Env in use (platform/env.h): the back end's
// own, or a test layer wrapped around it.

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

// Why a file call failed: LastFileError gives it.
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

// Opens `path` sharing read access only: other programs may read the file
// meanwhile but not write it. A handle with write access holds the file
// against every other writer until it is closed (Windows: no write sharing;
// Linux: an exclusive open-file-description lock on the whole file, which
// other programs' fcntl locks meet), and a file held so fails with kBusy,
// at once; kCreateAlways empties a file only once it holds it. A bare name
// lies in the program's own folder; a backslash separates folders. Only a
// regular file opens: a symbolic link (or other reparse point) is never
// followed, and a link, folder, device or pipe fails with kNotRegular
// without being waited on. nullptr on failure.
FileRef OpenFile(const std::wstring& path, Access access, Disposition disposition);
// Reads up to `count` bytes at the position and moves it on. False on
// failure; `*transferred` is the count read either way, short only at the end
// of the file.
bool ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred);
// Writes `count` bytes at the position and moves it on. False on failure;
// `*transferred` is the count written either way.
bool WriteFile(FileRef file, const void* buffer, uint32_t count, uint32_t* transferred);
// Moves the position to `offset` bytes from the start (offsets of 2 GiB and
// more included). False on failure.
bool SetFilePosition(FileRef file, uint32_t offset);
// The file's full size, beyond 32 bits too, so that callers can refuse such
// files. False when it cannot be taken.
bool GetFileSize(FileRef file, uint64_t* size);
// Returns once what was written through the handle has reached the medium,
// and with it the file's name when this handle created the file. False on
// failure.
bool FlushFile(FileRef file);
// Cuts the file to its first `size` bytes, no more than it has (shrinking
// needs no room on the medium), and leaves the position anywhere. The new
// end reaches the medium with the next FlushFile. False on failure.
bool CutFile(FileRef file, uint32_t size);
// Releases the handle; nullptr is ignored.
void CloseFile(FileRef file);
// Removes the file (a link itself, never what it names). True when it is
// gone afterwards, also when it was never there; false, with kBusy, while
// another handle holds it for writing (on Windows, while any handle has it
// open). The removal reaches the medium later:
// a power cut soon after may bring the file back.
bool RemoveFile(const std::wstring& path);
// The cause of the last file call's failure, kNone when it succeeded. Every
// file call of this section but CloseFile sets it.
FileError LastFileError();
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
// Gives file `from` the name `to`, which must not exist: an existing `to` is
// never replaced. Returns once the change has reached the medium. A `from`
// that another handle holds for writing is not moved (kBusy).
Renamed RenameFile(const std::wstring& from, const std::wstring& to);
// Puts file `from` in place of `to` (there or not) in one step and returns
// once the change has reached the medium; not while another handle holds
// `from` for writing (kBusy).
Renamed PutFileInPlace(const std::wstring& from, const std::wstring& to);

// The medium writes a file in sectors of this many bytes from its start. A
// power cut while it writes one may leave that sector holding neither its
// old bytes nor its new ones, or failing every read until it is written
// whole again.
constexpr uint32_t kSectorSize = 512;

// ---- Message boxes and sounds ----------------------------------------------
// Every call from here to PostQuit goes to the Ui in use (platform/ui.h): the
// back end's own, or a layer wrapped around it.

constexpr unsigned kMbOk = 0;        // an OK button only
constexpr unsigned kMbOkCancel = 1;  // OK and Cancel
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Shows a modal message box owned by `owner` (nullptr: no owner) and returns
// the button pressed: kIdOk, or kIdCancel for Cancel and the close box. 0
// when the box could not be shown. Where there is no screen (the host back
// end) every box is answered kIdOk.
int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                   unsigned style);

constexpr unsigned kBeepDefault = 0;
constexpr unsigned kBeepAsterisk = 64;
// Sounds `soundType` and returns at once (silence where there is no sound).
void Beep(unsigned soundType);

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

// Finds dialog template `templateId` in the program's resources, loads it and
// runs it modally over `owner` with creation parameter 0; the procedure gets
// kMsgInitDialog with the controls in place. Returns the value given to
// EndDialog, or -1 when the dialog could not be started (always, where there
// is no screen). A quit request ends it with 0.
intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc);
// Ends the dialog once its procedure returns; RunDialog gives `result`.
void EndDialog(WindowRef dialog, intptr_t result);
// Sets a window's or dialog's title.
void SetTitle(WindowRef window, const std::wstring& title);
// Replaces a control's text; an edit with the upper-case style raises its
// letters, as it does for typed ones. Nothing happens for an unknown id.
void SetControlText(WindowRef dialog, int id, const std::wstring& text);
// Copies at most bufferChars - 1 characters and a terminator (longer text is
// cut) and returns the characters copied; "" for an unknown id.
int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars);
// Sets a control's text to `value` in unsigned decimal.
void SetControlUnsigned(WindowRef dialog, int id, uint32_t value);
// Reads a control's text as an unsigned decimal, as strtoul does with 32 bits:
// leading blanks, one sign (a minus wraps the value round), digits up to the
// first other character. 0 when there are no digits or the value does not
// fit (4294967295 included); there is no success flag.
uint32_t GetControlUnsigned(WindowRef dialog, int id);
// Sets or clears a button's check mark (radio buttons of a group are not
// cleared by this call).
void SetCheck(WindowRef dialog, int id, bool checked);
// True when the button is checked; false when it is not and for an unknown id.
bool IsChecked(WindowRef dialog, int id);
// Adds an entry at the end of a combo box's list.
void AddComboText(WindowRef dialog, int id, const std::wstring& text);
// Selects list entry `position`; a position outside the list (negative
// included) leaves no entry selected.
void SelectComboEntry(WindowRef dialog, int id, int position);
// The selected position, negative when no entry is selected.
int SelectedComboEntry(WindowRef dialog, int id);
// The control's own window, for SetFocus and SelectAllText; nullptr for an
// unknown id.
WindowRef ControlWindow(WindowRef dialog, int id);
// Gives `window` the keyboard focus; nullptr is ignored.
void SetFocus(WindowRef window);
// Selects the whole text of an edit control, so that typing replaces it.
void SelectAllText(WindowRef edit);
// Posts the quit request that ends the message loop with `exitCode`; a
// modal dialog open at the time ends first.
void PostQuit(int exitCode);

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
// upper-case style raises typed and set text (all of Unicode's letters that
// have a single capital, not only ASCII).
void RaiseLetters(std::wstring& text);

// ---- Memory --------------------------------------------------------------

// A zero-filled block of count * size bytes; nullptr on failure (overflow
// included).
void* AllocateZeroed(size_t count, size_t size);
// Releases a block of AllocateZeroed; nullptr is ignored.
void Release(void* block);
// A block of `bytes` that starts on a memory page, for large file reads
// (the copy from the file cache runs fastest into one); nullptr on failure.
void* AllocatePages(size_t bytes);
// Releases a block of AllocatePages; nullptr is ignored.
void ReleasePages(void* block);

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
