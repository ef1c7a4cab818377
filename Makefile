# Two commands on a fresh Debian 12 machine: `make run` and `make test`.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
CMAKE_FLAGS ?=
PREFIX ?= /usr/local
# Test cases run side by side, as many at once as the machine has cores.
TEST_JOBS ?= $(shell nproc)

.PHONY: deps configure build run test bench screenshots install clean

deps:
	@./scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR)

run: build
	$(BUILD_DIR)/src/threadhop

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure --no-tests=error --parallel $(TEST_JOBS)

# The windows over a made-up home folder, as PNG files in $(BUILD_DIR)/screenshots/.
screenshots: build
	QT_QPA_PLATFORM=offscreen $(BUILD_DIR)/tools/screenshots/threadhop_screenshots

install: build
	cmake --install $(BUILD_DIR) --prefix $(PREFIX)

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTHREADHOP_BUILD_TESTS=OFF -DTHREADHOP_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR)
	@for bench in $(BENCH_DIR)/bench/threadhop_bench_*; do echo "== $$bench"; $$bench; done

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR) build-sanitize build-fuzz
