// filmtool's sheet commands run in this process, and what they list.
#pragma once

#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "filmtool/message_echo.h"
#include "filmtool/tool.h"
#include "office/export.h"
#include "office/fields.h"
#include "office/listener.h"
#include "office/open_inventory.h"
#include "tests/filmtool_fixture.h"

// "number field: old -> new" lines, without the summary that follows them.
inline std::string Listed(const std::string& out) {
  std::string lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    const bool added = line.size() > 6 && line.compare(line.size() - 6, 6, " added") == 0 &&
                       line.find(" items ") == std::string::npos;
    if (line.find(" -> ") != std::string::npos || added) {
      lines += line + "\n";
    }
  }
  return lines;
}

// The sheet tests' fixture: filmtool's commands run in this process.
using SheetCommands = FilmtoolCommands;
