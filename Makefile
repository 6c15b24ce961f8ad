# Thin wrapper over CMake: `make run` builds MORVIT and runs an example,
# `make test` builds everything and runs every test.
BUILD   ?= build
JOBS    ?= 2
EXAMPLE ?= examples/two_factors.cmd

.PHONY: all build run test clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DMORVIT_WERROR=ON
	cmake --build $(BUILD) -j$(JOBS)

# The report is written to $(BUILD)/morvit.out.
run: build
	cd $(BUILD) && ./morvit ../$(EXAMPLE)

test: build
	cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

clean:
	rm -rf $(BUILD)
