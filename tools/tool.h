// filmtool's commands, each over the inventory that the program would use
// in the folder the tool was given. Messages the program would show go to
// standard error as "caption: text"; the tool's own as "filmtool: text".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "store/inventory_record.h"

// stats, index, prefix: what start-up builds.
int Stats();
int Index();
int Prefix();
// check: every problem of the file on a line, then a summary. 0: none;
// 2: problems; 1: the file cannot be read as an inventory.
int Check();
// export: the records as CSV; deleted slots only with `all`.
int Export(bool all);
// amend NUMBER FIELD=VALUE...: the record stored as the amend dialog stores
// the same texts. 0: written; 1: refused or failed, the file unchanged.
int Amend(const std::string& number, const std::vector<std::string>& assignments);
// delete NUMBER: what Delete does once confirmed. 0: written; 1: refused or
// failed.
int Delete(const std::string& number);

// The tool's own message on standard error.
void Complain(const std::string& text);
// `text` as a whole item number of 1 or more; false (and a complaint) for
// anything else.
bool TakeItemNumber(const std::string& text, int64_t* number);
