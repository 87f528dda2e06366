// What must hold between the in-memory index and the inventory file after
// any sequence of commands, faults included.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Checks NumberIndex, PrefixTable and the counts against `file` (the bytes
// of the inventory in use). Returns "" when they agree, else what is wrong.
std::string CheckStoreAgreesWith(const std::vector<uint8_t>& file);
