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

enum class Access { kRead, kWrite };
enum class Disposition {
  kOpenExisting,  // fails when the file is missing
  kCreateNew,     // fails when the file exists: never replaces anything
  kCreateAlways,  // creates or truncates
};

// Opens `path` sharing read access only. Returns nullptr on failure.
FileRef OpenFile(const std::wstring& path, Access access, Disposition disposition);
// Reads up to `count` bytes at the current position. Returns false on failure;
// `*transferred` is the count actually read (may be short at end of file).
bool ReadFile(FileRef file, void* buffer, uint32_t count, uint32_t* transferred);
// Writes `count` bytes at the current position. Returns false on failure;
// `*transferred` is the count actually written.
bool WriteFile(FileRef file, const void* buffer, uint32_t count, uint32_t* transferred);
// Moves the position to `offset` bytes from the start. False on failure.
bool SetFilePosition(FileRef file, uint32_t offset);
// The file's full size, so that callers can refuse files beyond 32 bits.
// False on failure.
bool GetFileSize(FileRef file, uint64_t* size);
// Pushes written data to the storage medium. False on failure.
bool FlushFile(FileRef file);
// Releases the handle; nullptr is ignored.
void CloseFile(FileRef file);

// ---- Message boxes and sounds ----------------------------------------------

constexpr unsigned kMbOk = 0;        // an OK button only
constexpr unsigned kMbOkCancel = 1;  // OK and Cancel
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;

// Shows a modal message box owned by `owner` (nullptr: no owner). Returns
// the button pressed (kIdOk, kIdCancel).
int ShowMessageBox(WindowRef owner, const std::wstring& text, const std::wstring& caption,
                   unsigned style);

constexpr unsigned kBeepDefault = 0;
constexpr unsigned kBeepAsterisk = 64;
void Beep(unsigned soundType);

// ---- Dialogs -------------------------------------------------------------

constexpr unsigned kMsgClose = 16;
constexpr unsigned kMsgInitDialog = 272;
constexpr unsigned kMsgCommand = 273;

// A dialog procedure: a switch over the message number. Returns non-zero
// when the message was handled.
using DialogProc = intptr_t (*)(WindowRef dialog, unsigned message, uintptr_t wparam,
                                intptr_t lparam);

// Finds dialog template `templateId` in the program's resources, loads it and
// runs it modally over `owner` with creation parameter 0. Returns the value
// given to EndDialog, or -1 when the dialog could not be started.
intptr_t RunDialog(int templateId, WindowRef owner, DialogProc proc);
void EndDialog(WindowRef dialog, intptr_t result);
void SetTitle(WindowRef window, const std::wstring& title);
void SetControlText(WindowRef dialog, int id, const std::wstring& text);
// Copies at most bufferChars - 1 characters and a terminator (longer text is
// cut). Returns the characters copied, terminator excluded.
int GetControlText(WindowRef dialog, int id, wchar_t* buffer, int bufferChars);
void SetControlUnsigned(WindowRef dialog, int id, uint32_t value);
// The control's text as an unsigned decimal; 0 for text that is not one.
uint32_t GetControlUnsigned(WindowRef dialog, int id);
void SetCheck(WindowRef dialog, int id, bool checked);
bool IsChecked(WindowRef dialog, int id);
void AddComboText(WindowRef dialog, int id, const std::wstring& text);
void SelectComboEntry(WindowRef dialog, int id, int position);
// The selected position, negative when no entry is selected.
int SelectedComboEntry(WindowRef dialog, int id);
WindowRef ControlWindow(WindowRef dialog, int id);
void SetFocus(WindowRef window);
void SelectAllText(WindowRef edit);
// Posts the quit request that ends the message loop with `exitCode`.
void PostQuit(int exitCode);

// ---- Text ----------------------------------------------------------------

// Converts narrow text in the system code page to wide text. `srcBytes` is
// the source length, or -1 for "up to and including the terminator". Writes
// at most `dstChars` characters; returns the count written, 0 on failure
// (including a destination that is too small).
int NarrowToWide(const char* src, int srcBytes, wchar_t* dst, int dstChars);
// Converts zero-terminated wide text, terminator included, to the system code
// page. Writes at most `dstBytes` bytes; returns the count written, 0 on
// failure.
int WideToNarrow(const wchar_t* src, char* dst, int dstBytes);

// ---- Memory --------------------------------------------------------------

// A zero-filled block of count * size bytes; nullptr on failure (overflow
// included).
void* AllocateZeroed(size_t count, size_t size);
void Release(void* block);

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
