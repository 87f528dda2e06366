// What host tools and tests set in the host back end: the folder that bare
// file names resolve in, the storage card and the system's code page; and
// the UTF-8 conversions for paths and terminal output. File faults and the scripted user are test
// layers over the Env and the Ui (platform/env.h, platform/ui.h).
#pragma once

#include <string>

namespace platform::host {

// ---- Files ---------------------------------------------------------------

// Relative paths (such as "film.dat") resolve inside this folder; empty means
// the process's working folder. Backslashes in paths are folder separators.
void SetWorkingFolder(const std::string& folder);
// The host path a program path names: backslashes made slashes, a relative
// path put inside the working folder.
std::string HostPath(const std::wstring& path);

// ---- Storage card ----------------------------------------------------------

enum class CardState { kAbsent, kPresent, kUnreadable };
// kPresent: the card's folder name is `folder`. kUnreadable: the card is
// found but its details cannot be read.
void SetStorageCard(CardState state, const std::wstring& folder = L"");

// ---- Text ----------------------------------------------------------------

// Makes Windows code page `codePage` play the system's, as on a Windows set
// up for that language (1252 until then). False when the host cannot
// convert with it.
bool SetSystemCodePage(unsigned codePage);

// Back to the start state: no card, bare names in the process's working
// folder, Windows-1252 as the system's code page.
void ResetHost();

// UTF-8 <-> wide, for paths and terminal output.
std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& wide);

}  // namespace platform::host
