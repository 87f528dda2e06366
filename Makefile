# make test: install what is missing, build everything, run every test (what
#            this machine cannot run, such as 32-bit Wine on a kernel without
#            32-bit programs, is skipped with its reason).
# make run:  install what is missing, build tallo.exe and start it under Wine.
# make bench: the benchmarks, with bench/README.md rewritten from their results.
# make fuzz:  the libFuzzer target for FUZZ_SECONDS (default 600).
# make test-arm: the unit tests cross-built for 32-bit ARM, run under qemu-arm.
# make tsan: the thread test (tests/thread_test.cpp) under ThreadSanitizer.
# make screenshots: the user guide's pictures (docs/*.png), taken from the program.
# make dist: the release zips in dist/ (64-bit and 32-bit Windows), each
#            checked and started once under Wine.
# make windows-x86: tallo.exe and the GUI test driver for 32-bit Windows.
# make mutants: the mutation trial (scripts/mutation-trial.sh) over a scratch
#            worktree of HEAD in build/mutants/tree, removed afterwards; the
#            verdicts in build/mutants/verdicts.tsv, then a summary line.
#            MUTANTS="M25 M26" runs those alone. Not part of make test.
.PHONY: all test run bench fuzz deps deps-host deps-x86 deps-arm deps-all host sanitize tsan windows \
  windows-x86 arm test-arm screenshots dist mutants clean

HOST_BUILD := build/host
SANITIZE_BUILD := build/sanitize
TSAN_BUILD := build/tsan
WIN_BUILD := build/win
WIN_X86_BUILD := build/win32
ARM_BUILD := build/arm
ARM_TOOLCHAIN := $(CURDIR)/cmake/arm-linux-gnueabihf.cmake
ARM_GTEST := $(CURDIR)/$(ARM_BUILD)/googletest/install
# The workbook libraries of each cross build, from Debian's source packages,
# with the toolchain file that finds them (scripts/cross-libs.sh).
LIBS := build/libs
JOBS ?= $(shell nproc)

all: host windows

deps:
	scripts/install-deps.sh windows

deps-host:
	scripts/install-deps.sh host

deps-x86:
	scripts/install-deps.sh windows-x86

deps-arm:
	scripts/install-deps.sh arm

deps-all:
	scripts/install-deps.sh windows windows-x86 arm spreadsheets

host: deps
	cmake -S . -B $(HOST_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(HOST_BUILD) -j $(JOBS)

sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTALLO_SANITIZE=ON >/dev/null
	cmake --build $(SANITIZE_BUILD) -j $(JOBS) --target unit_tests thread_tests filmtool geninv

# ThreadSanitizer over the thread test alone (scripts/thread-test.sh runs it).
tsan: deps
	cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTALLO_TSAN=ON >/dev/null
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target thread_tests

windows: deps
	scripts/cross-libs.sh cmake/mingw-w64.cmake $(LIBS)/x86_64-w64-mingw32
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/$(LIBS)/x86_64-w64-mingw32/toolchain.cmake \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN_BUILD) -j $(JOBS)

windows-x86: deps-x86
	scripts/cross-libs.sh cmake/mingw-w64-i686.cmake $(LIBS)/i686-w64-mingw32
	cmake -S . -B $(WIN_X86_BUILD) -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/$(LIBS)/i686-w64-mingw32/toolchain.cmake \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN_X86_BUILD) -j $(JOBS)

# GoogleTest for ARM is built once from the sources Debian ships.
arm: deps-arm
	cmake -S /usr/src/googletest -B $(ARM_BUILD)/googletest -DCMAKE_TOOLCHAIN_FILE=$(ARM_TOOLCHAIN) \
	  -DCMAKE_BUILD_TYPE=Release -DBUILD_GMOCK=OFF -DCMAKE_INSTALL_PREFIX=$(ARM_GTEST) >/dev/null
	cmake --build $(ARM_BUILD)/googletest -j $(JOBS) --target install >/dev/null
	scripts/cross-libs.sh $(ARM_TOOLCHAIN) $(LIBS)/arm-linux-gnueabihf
	cmake -S . -B $(ARM_BUILD)/tallo -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/$(LIBS)/arm-linux-gnueabihf/toolchain.cmake \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGTest_DIR=$(ARM_GTEST)/lib/cmake/GTest >/dev/null
	cmake --build $(ARM_BUILD)/tallo -j $(JOBS)

test-arm: arm
	cd $(ARM_BUILD)/tallo && ctest --output-on-failure -j $(JOBS)

# scripts/test.sh runs every suite over these builds and ends with what
# passed, failed and was skipped (and why).
test: deps-all host sanitize tsan windows windows-x86 arm
	scripts/test.sh

run: host windows
	scripts/run.sh

screenshots: host windows
	scripts/screenshots.sh

dist: windows windows-x86
	scripts/install-deps.sh dist
	scripts/dist.sh $(WIN_BUILD)
	scripts/dist.sh $(WIN_X86_BUILD)

bench: host windows
	scripts/bench.sh

FUZZ_SECONDS ?= 600
fuzz: deps
	scripts/fuzz.sh $(FUZZ_SECONDS)

MUTANTS ?=
mutants: deps-host
	scripts/mutation-trial.sh scratch build/mutants $(MUTANTS)

clean:
	rm -rf build dist
