// Standard output of the tool's reports, sheets and listings. A write that
// fails (a full disk, an output closed or no longer read) is told once on
// standard error with its cause, and the command ends with 1: a sheet cut
// short is never left unsaid.
#pragma once

#include <string_view>

// Writes `text`; false once standard output has failed.
bool PrintOut(std::string_view text);
// Flushes standard output: false, told, when anything printed did not reach
// it whole.
bool FinishOutput();
