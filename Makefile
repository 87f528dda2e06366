# make test: install what is missing, build everything, run every test.
# make run:  install what is missing, build tallo.exe and start it under Wine.
# make bench: the benchmarks, with bench/README.md rewritten from their results.
# make fuzz:  the libFuzzer target for FUZZ_SECONDS (default 600).
.PHONY: all test run bench fuzz deps host sanitize windows clean

HOST_BUILD := build/host
SANITIZE_BUILD := build/sanitize
WIN_BUILD := build/win
JOBS ?= $(shell nproc)

all: host windows

deps:
	scripts/install-deps.sh windows

host: deps
	cmake -S . -B $(HOST_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(HOST_BUILD) -j $(JOBS)

sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTALLO_SANITIZE=ON >/dev/null
	cmake --build $(SANITIZE_BUILD) -j $(JOBS) --target unit_tests filmtool geninv

windows: deps
	cmake -S . -B $(WIN_BUILD) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
	  -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(WIN_BUILD) -j $(JOBS)

test: host sanitize windows
	cd $(HOST_BUILD) && ctest --output-on-failure -j $(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j $(JOBS)
	scripts/gui-test.sh $(WIN_BUILD)
	scripts/fuzz.sh 60

run: host windows
	scripts/run.sh

bench: host windows
	scripts/bench.sh

FUZZ_SECONDS ?= 600
fuzz: deps
	scripts/fuzz.sh $(FUZZ_SECONDS)

clean:
	rm -rf build
