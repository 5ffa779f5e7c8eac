# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
PREFIX ?=

.PHONY: all deps configure build run test bench format install uninstall package clean

all: build

deps:
	@./scripts/install-deps.sh

configure: deps
	@if [ ! -f $(BUILD)/build.ninja ]; then cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS); fi

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@./$(BUILD)/fraymark $(ARGS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -LE bench

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
	rm -rf $(BUILD)
