# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS); fi

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -x $(BUILD)/fraymark ]; then ./$(BUILD)/fraymark $(ARGS); else echo "fraymark: built the libraries; the executable is not part of this build yet"; fi

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE bench

bench: build
	@./bench/run-all.sh $(BUILD)

clean:
	rm -rf $(BUILD)
