# Veltrane: the two everyday commands are `make run` and `make test`.
# Both install missing Debian packages first (as root), so a fresh Debian 12 machine works.

BUILD_DIR  ?= build
BENCH_DIR  ?= build-bench
BUILD_TYPE ?= Release
JOBS       ?= $(shell nproc)

CMAKE_FLAGS = -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) -DCMAKE_CXX_COMPILER_LAUNCHER=ccache

.PHONY: all deps configure build run test bench clean

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

# Benchmarks get a tree of their own: always Release, without the tests.
bench: deps
	cmake -S . -B $(BENCH_DIR) -DCMAKE_BUILD_TYPE=Release -DCMAKE_CXX_COMPILER_LAUNCHER=ccache \
	    -DVELTRANE_TESTS=OFF -DVELTRANE_BENCH=ON
	cmake --build $(BENCH_DIR) -j$(JOBS)
	cmake --build $(BENCH_DIR) --target run_benchmarks

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR)
