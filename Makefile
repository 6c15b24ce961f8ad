# Thin wrapper over CMake: `make run` builds MORVIT and runs an example,
# `make test` builds everything and runs every test.
BUILD   ?= build
JOBS    ?= 2
EXAMPLE ?= examples/two_factors.cmd

SANITIZE_BUILD ?= build-sanitize
BENCH_BUILD    ?= build-bench

.PHONY: all configure build run test sanitize-test bench clean

all: build

configure:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DMORVIT_WERROR=ON

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# Builds only the program; the report is written to $(BUILD)/morvit.out.
run: configure
	cmake --build $(BUILD) -j$(JOBS) --target morvit
	cd $(BUILD) && ./morvit ../$(EXAMPLE)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# Every test again, with the address and undefined-behaviour sanitizers in a build of its own.
sanitize-test:
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVIT_WERROR=ON -DMORVIT_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && ctest --output-on-failure -j$(JOBS)

# The end-to-end benchmark in a Release build of its own: stage times of the largest run,
# wall time against a bare strtod reader of the same file, peak memory (bench/run.sh).
bench:
	BENCH_BUILD=$(BENCH_BUILD) bench/run.sh

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(BENCH_BUILD)
