// The GUI test driver: runs every registered test of the system's code page
// against tallo.exe (the first argument), or those whose names contain the
// second argument, and ends with "N passed, M failed, K skipped" (the tests
// of other code pages).
#include <cstdio>
#include <cwchar>
#include <string>

#include "tests/gui/gui_driver.h"

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: gui_tests TALLO.EXE [NAME-PART]\n");
    return 2;
  }
  const std::wstring exe = argv[1];
  const std::string filter = argc > 2 ? gui::Narrow(argv[2]) : "";
  int passed = 0, failed = 0, skipped = 0;
  for (const gui::TestCase& test : gui::Registry()) {
    if (!filter.empty() && std::string(test.name).find(filter) == std::string::npos) continue;
    if (test.codePage != ::GetACP()) {
      ++skipped;
      continue;
    }
    const DWORD start = ::GetTickCount();
    try {
      test.run(exe);
      ++passed;
      std::printf("PASS %s (%lu ms)\n", test.name, ::GetTickCount() - start);
    } catch (const gui::Failure& failure) {
      ++failed;
      std::printf("FAIL %s: %s\n", test.name, failure.message.c_str());
    }
    std::fflush(stdout);
  }
  std::printf("%d passed, %d failed, %d skipped\n", passed, failed, skipped);
  return failed == 0 && passed + skipped > 0 ? 0 : 1;
}
