#include <cstdio>
#include <string>

#include "tools/tool.h"

void Complain(const std::string& text) { std::fprintf(stderr, "filmtool: %s\n", text.c_str()); }
