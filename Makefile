# Two commands on a fresh Debian 12 machine: `make test` and (once the application exists) `make run`.
BUILD_DIR ?= build
BENCH_DIR ?= build-bench
CMAKE_FLAGS ?=

.PHONY: deps configure build test bench clean

deps:
	@./scripts/install-deps

configure: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja $(CMAKE_FLAGS)

build: configure
	cmake --build $(BUILD_DIR)

test: build
	ctest --test-dir $(BUILD_DIR) --output-on-failure

bench: deps
	cmake -S . -B $(BENCH_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTHREADHOP_BUILD_TESTS=OFF -DTHREADHOP_BUILD_BENCH=ON
	cmake --build $(BENCH_DIR)
	@for bench in $(BENCH_DIR)/bench/threadhop_bench_*; do echo "== $$bench"; $$bench; done

clean:
	rm -rf $(BUILD_DIR) $(BENCH_DIR) build-sanitize
