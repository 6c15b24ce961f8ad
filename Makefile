# Thin wrapper over CMake: `make run` builds MORVIT and runs an example,
# `make test` builds everything and runs every test, `make web` builds the browser app. Each
# first installs what its build needs when it is missing (tools/install-prerequisites.sh,
# Debian and Ubuntu).
BUILD   ?= build
JOBS    ?= 2
EXAMPLE ?= examples/two_factors.cmd
# Warnings as errors: CI sets WERROR=ON; a user's newer compiler may warn where ours does not.
WERROR  ?= OFF

SANITIZE_BUILD ?= build-sanitize
BENCH_BUILD    ?= build-bench
WEB_BUILD      ?= $(BUILD)/web

CONFIGURE = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DMORVIT_WERROR=$(WERROR)

.PHONY: all configure build run test sanitize-test bench r-package r-install web clean

all: build

configure:
	tools/install-prerequisites.sh tests
	$(CONFIGURE) -DMORVIT_TESTS=ON

build: configure
	cmake --build $(BUILD) -j$(JOBS)

# Builds only the program, quietly (the compiler's output is kept in $(BUILD)/build.log and
# shown when the build fails), runs the example in $(BUILD) and names the reports it wrote.
run:
	@tools/install-prerequisites.sh program
	@echo "Building MORVIT in $(BUILD)/ ..."
	@mkdir -p $(BUILD)
	@{ $(CONFIGURE) -DMORVIT_TESTS=OFF && cmake --build $(BUILD) -j$(JOBS) --target morvit; } \
	  >$(BUILD)/build.log 2>&1 || { cat $(BUILD)/build.log; echo "The build failed; its output is above."; exit 1; }
	@touch $(BUILD)/.run-started
	@cd $(BUILD) && ./morvit ../$(EXAMPLE)
	@echo "The report of $(EXAMPLE) is in:" \
	  $$(find $(BUILD) -maxdepth 1 -type f -newer $(BUILD)/.run-started | sort)

# A skipped test is named with the reason it printed (Chromium missing, say).
test: build
	cd $(BUILD) && { ctest --output-on-failure -j$(JOBS) --output-junit ctest-junit.xml; status=$$?; \
	  python3 $(CURDIR)/tools/explain_skipped_tests.py ctest-junit.xml; exit $$status; }

# Every test again, with the address and undefined-behaviour sanitizers in a build of its own.
sanitize-test:
	tools/install-prerequisites.sh tests
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVIT_WERROR=$(WERROR) -DMORVIT_SANITIZE=ON
	cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	cd $(SANITIZE_BUILD) && { ctest --output-on-failure -j$(JOBS) --output-junit ctest-junit.xml; status=$$?; \
	  python3 $(CURDIR)/tools/explain_skipped_tests.py ctest-junit.xml; exit $$status; }

# The end-to-end benchmark in a Release build of its own: stage times of the largest run,
# wall time against a bare strtod reader of the same file, peak memory (bench/run.sh).
bench:
	BENCH_BUILD=$(BENCH_BUILD) bench/run.sh

# The R package: builds the program (the package's tests hold its outputs to the command
# line's), gathers the package from r/ and the rooms' sources into $(BUILD)/r/morvit
# (r/gather.cmake) and builds the source package $(BUILD)/r/morvit_VERSION.tar.gz, which
# `R CMD INSTALL` installs where R and Rcpp are.
r-package:
	tools/install-prerequisites.sh r
	$(CONFIGURE) -DMORVIT_TESTS=OFF
	cmake --build $(BUILD) -j$(JOBS) --target morvit
	cmake -DSOURCE_DIR=$(CURDIR) -DPACKAGE_DIR=$(CURDIR)/$(BUILD)/r/morvit -DMORVIT=$(CURDIR)/$(BUILD)/morvit \
	  -DBUILD_DIR=$(CURDIR)/$(BUILD) -P r/gather.cmake
	rm -f $(BUILD)/r/morvit_*.tar.gz
	cd $(BUILD)/r && R CMD build morvit

# Builds the R package and installs it into R's first library, or into the user's own
# library (R_LIBS_USER, made when missing) where that one cannot be written.
r-install: r-package
	@library=$$(Rscript -e 'cat(.libPaths()[1])'); \
	if [ ! -w "$$library" ]; then \
	  library=$$(Rscript -e 'cat(path.expand(Sys.getenv("R_LIBS_USER")))'); mkdir -p "$$library"; \
	fi; \
	echo "Installing the R package morvit into $$library"; \
	R CMD INSTALL --library="$$library" $(BUILD)/r/morvit_*.tar.gz

# The browser app, $(WEB_BUILD)/morvit.html, and the page's numbers module
# ($(WEB_BUILD)/page_numbers.wasm): the program built with emscripten (emcmake). Emscripten's
# tools run on node and load acorn from Debian's /usr/share/nodejs, where a node installed
# from elsewhere does not look by itself.
WEB_NODE_PATH = $(or $(NODE_PATH),/usr/share/nodejs)
web:
	@tools/install-prerequisites.sh web
	NODE_PATH=$(WEB_NODE_PATH) emcmake cmake -S . -B $(WEB_BUILD) -DCMAKE_BUILD_TYPE=Release -DMORVIT_TESTS=OFF \
	  -DMORVIT_WERROR=$(WERROR)
	NODE_PATH=$(WEB_NODE_PATH) cmake --build $(WEB_BUILD) -j$(JOBS)
	@echo "The app: $(WEB_BUILD)/morvit.html (open it in a browser; it needs no other file)"

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) $(BENCH_BUILD) $(WEB_BUILD)
