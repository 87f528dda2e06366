# make test: install what is missing, build everything, run every test.
# make run:  install what is missing, build tallo.exe and start it under Wine.
.PHONY: all test run deps host clean

HOST_BUILD := build/host
JOBS ?= $(shell nproc)

all: host

deps:
	scripts/install-deps.sh host

host: deps
	cmake -S . -B $(HOST_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(HOST_BUILD) -j $(JOBS)

test: host
	cd $(HOST_BUILD) && ctest --output-on-failure -j $(JOBS)

run:
	@echo "make run: the Windows program (application shell, resources, Wine start-up) is not built yet."
	@echo "What exists today: the inventory store and filmtool (build/host/tools/filmtool stats DIR)."
	@exit 1

clean:
	rm -rf build
