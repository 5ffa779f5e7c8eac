# The two commands: `make run` and `make test`. Both install what is missing first.
BUILD ?= build
CMAKE_FLAGS ?=
JOBS ?= $(shell nproc)
PREFIX ?=

# Fault hunting builds live beside the main one.
FUZZ_BUILD ?= $(BUILD)-fuzz
FUZZ_TIME ?= 60
ASAN_BUILD ?= $(BUILD)-asan
TSAN_BUILD ?= $(BUILD)-tsan
# CORE=1: the sanitizer run of the core libraries' tests only (no Qt), as CI does.
CORE ?=
ASAN_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer
TSAN_FLAGS = -fsanitize=thread -fno-omit-frame-pointer
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1

.PHONY: all deps configure build run test bench format install uninstall package clean \
	fuzz fuzz-build test-asan test-tsan

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

# The suite built with AddressSanitizer and UndefinedBehaviorSanitizer (CORE=1: the core's).
test-asan: deps
	@dir=$(ASAN_BUILD)$(if $(CORE),-core); if [ ! -f $$dir/build.ninja ]; then cmake -S . -B $$dir -G Ninja \
		$(CMAKE_FLAGS) -DCMAKE_CXX_FLAGS="$(ASAN_FLAGS)" -DFRAYMARK_BUILD_BENCH=OFF \
		$(if $(CORE),-DFRAYMARK_BUILD_APP=OFF); fi; \
	cmake --build $$dir -j $(JOBS) && cd $$dir && \
	$(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) -LE 'bench|install' -E 'layering|format|install_deps'

# The core's threaded parts (two-thread reads, the repeating worker, the providers) under
# ThreadSanitizer.
test-tsan: deps
	@if [ ! -f $(TSAN_BUILD)/build.ninja ]; then cmake -S . -B $(TSAN_BUILD) -G Ninja $(CMAKE_FLAGS) \
		-DCMAKE_CXX_FLAGS="$(TSAN_FLAGS)" -DFRAYMARK_BUILD_APP=OFF -DFRAYMARK_BUILD_BENCH=OFF; fi
	@cmake --build $(TSAN_BUILD) -j $(JOBS)
	@cd $(TSAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS) -R 'io_tests|monitor_tests|agents_tests'

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
	rm -rf $(BUILD) $(FUZZ_BUILD) $(ASAN_BUILD) $(ASAN_BUILD)-core $(TSAN_BUILD)
