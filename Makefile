# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
PREFIX ?=

# Fault hunting builds live beside the main one.
FUZZ_BUILD ?= $(BUILD)-fuzz
FUZZ_TIME ?= 60

.PHONY: all deps configure build run test bench format install uninstall package clean \
	fuzz fuzz-build

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS); fi

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./$(BUILD)/fraymark $(ARGS)

# The suite, then each fuzz target a fixed number of runs from a fixed seed.
test: build fuzz-build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE bench
	@cd $(FUZZ_BUILD) && ctest --output-on-failure -j $(JOBS) -L fuzz

# libFuzzer targets over the core and the file formats, built by clang with ASan and UBSan.
fuzz-build: deps
	@if [ ! -f $(FUZZ_BUILD)/build.ninja ]; then CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja \
		$(CMAKE_FLAGS) -DFRAYMARK_FUZZ=ON -DFRAYMARK_BUILD_APP=OFF -DFRAYMARK_BUILD_TESTS=OFF \
		-DFRAYMARK_BUILD_BENCH=OFF; fi
	@cmake --build $(FUZZ_BUILD) -j $(JOBS)

# Each target for FUZZ_TIME seconds; crashes are kept in $(FUZZ_BUILD)/crashes.
fuzz: fuzz-build
	@failed=0; for t in $(FUZZ_BUILD)/tests/fuzz/fuzz_*; do \
		FUZZ_ARTIFACTS=$(CURDIR)/$(FUZZ_BUILD)/crashes tests/fuzz/run.sh $$t $${t##*/fuzz_} time $(FUZZ_TIME) \
			|| failed=1; \
	done; exit $$failed

format:
	@./scripts/format.sh

bench: build
	@./bench/run-all.sh $(BUILD)

# DESTDIR and PREFIX (default /usr/local) are honoured.
install: build
	@cmake --install $(BUILD) $(if $(PREFIX),--prefix $(PREFIX))

uninstall:
	@cmake --build $(BUILD) --target uninstall

package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null && ls -1 $(CURDIR)/$(BUILD)/package/*.deb

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
