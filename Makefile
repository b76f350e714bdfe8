# Veltrane: the two everyday commands are `make run` and `make test`.
# Both install missing Debian packages first (as root), so a fresh Debian 12 machine works.

BUILD_DIR  ?= build
BENCH_DIR  ?= build-bench
ASAN_DIR   ?= build-asan
FUZZ_SECONDS ?= 60
BUILD_TYPE ?= Release
JOBS       ?= $(shell nproc)

CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCMAKE_CXX_COMPILER_LAUNCHER=ccache

.PHONY: all deps configure build run test configure-asan test-asan fuzz bench clean

all: build

deps:
	@bash scripts/deps.sh

configure: deps
	cmake -S . -B $(BUILD_DIR) $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR) -j$(JOBS)

run: build
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "make run: no display (DISPLAY is not set). Start Veltrane from a desktop session," >&2; \
	    echo "or point DISPLAY at an X server, e.g. DISPLAY=:0 make run" >&2; \
	    exit 1; \
	fi
	./$(BUILD_DIR)/veltrane

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure

# The second test build: clang, Debug with assertions, AddressSanitizer and
# UndefinedBehaviorSanitizer (any report fails the test), code instrumented for libFuzzer so
# that the fuzz targets share the build. Qt and fontconfig keep memory until exit, so leak
# reports are off.
ASAN_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=undefined \
             -fno-omit-frame-pointer -fsanitize=fuzzer-no-link
ASAN_OPTIONS_TEST = detect_leaks=0:abort_on_error=1
ASAN_ENV = ASAN_OPTIONS=$(ASAN_OPTIONS_TEST) UBSAN_OPTIONS=print_stacktrace=1

configure-asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
	    -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_FLAGS="$(ASAN_FLAGS)" \
	    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DVELTRANE_FUZZ=ON

test-asan: configure-asan
	cmake --build $(ASAN_DIR) -j$(JOBS)
	$(ASAN_ENV) ctest --test-dir $(ASAN_DIR) --output-on-failure

# Each fuzz target runs FUZZ_SECONDS (or FUZZ_RUNS inputs, when set) from its seeds and its
# regression inputs; what it finds new goes to $(ASAN_DIR)/fuzz-corpus/<target>, a crashing
# input to $(ASAN_DIR)/fuzz-<target>-crash-*. FUZZ_TARGETS picks some of them.
FUZZ_TARGETS ?= document layout paste token picture commandline session
FUZZ_RUNS ?=
FUZZ_LIMIT = $(if $(FUZZ_RUNS),-runs=$(FUZZ_RUNS),-max_total_time=$(FUZZ_SECONDS))
FUZZ_SEEDS_document = tests/data/documents
FUZZ_SEEDS_layout = fuzz/corpus/layout
FUZZ_SEEDS_paste = fuzz/corpus/paste
FUZZ_SEEDS_token = fuzz/corpus/token
FUZZ_SEEDS_commandline = fuzz/corpus/commandline
FUZZ_SEEDS_picture = fuzz/corpus/picture
FUZZ_SEEDS_session = fuzz/corpus/session
# Leaks are not looked for (see ASAN_ENV). A small quarantine of freed memory keeps the
# inputs' memory in use instead of new pages, twice as fast. A paste of more than a few KB
# only repeats lines; token inputs stay short, since every fanning value of some length
# makes the split's whole 65536 tokens; a layout's documents hold a few records and items.
FUZZ_ENV = ASAN_OPTIONS=$(ASAN_OPTIONS_TEST):quarantine_size_mb=16 UBSAN_OPTIONS=print_stacktrace=1
FUZZ_FLAGS = -detect_leaks=0
FUZZ_FLAGS_paste = -max_len=4096
FUZZ_FLAGS_token = -max_len=256
# A session input of 48 bytes is a few steps and a round trip; every input opens real windows.
FUZZ_FLAGS_session = -max_len=48
FUZZ_FLAGS_layout = -max_len=4096

fuzz-run = echo "== fuzz_$(1): $(FUZZ_LIMIT)" && \
    mkdir -p $(ASAN_DIR)/fuzz-corpus/$(1) fuzz/regressions/$(1) && \
    $(FUZZ_ENV) QT_QPA_PLATFORM=offscreen $(ASAN_DIR)/fuzz/fuzz_$(1) $(FUZZ_LIMIT) \
        $(FUZZ_FLAGS) $(FUZZ_FLAGS_$(1)) -print_final_stats=1 -artifact_prefix=$(ASAN_DIR)/fuzz-$(1)- \
        $(ASAN_DIR)/fuzz-corpus/$(1) $(FUZZ_SEEDS_$(1)) fuzz/regressions/$(1) &&

fuzz: configure-asan
	cmake --build $(ASAN_DIR) -j$(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS))
	@$(foreach t,$(FUZZ_TARGETS),$(call fuzz-run,$(t))) true

# Benchmarks get a tree of their own: always Release, without the tests.
bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
	    -DVELTRANE_TESTS=OFF -DVELTRANE_BENCH=ON
	cmake --build $(BENCH_DIR) -j$(JOBS)
	cmake --build $(BENCH_DIR) --target run_benchmarks

# Installing into a prefix (DESTDIR honoured, for staging), and the Debian package, made from
# the Release build: build/veltrane_<version>_<arch>.deb, installed with
# `apt install ./build/veltrane_*.deb`.
PREFIX ?= /usr/local
.PHONY: install package
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD_DIR) --prefix "$(PREFIX)"

package: build
	cmake --build $(BUILD_DIR) --target package

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR) $(ASAN_DIR)
