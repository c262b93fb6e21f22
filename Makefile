# The two commands of the README are `make demo` and `make test`.
SHELL := /bin/bash
BUILD_DIR ?= build
JOBS ?= 2
PYTHON_BIN = $(shell scripts/pick-python.sh)

.PHONY: all deps build test test-cpp test-py demo bench clean

all: build

deps:
	@scripts/install-deps.sh

build:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release -DPython3_EXECUTABLE=$(PYTHON_BIN) >/dev/null
	cmake --build $(BUILD_DIR) -j$(JOBS)

test: deps
	@$(MAKE) --no-print-directory build
	@$(MAKE) --no-print-directory test-cpp test-py

test-cpp:
	cd $(BUILD_DIR) && ctest --output-on-failure -j$(JOBS)

test-py:
	PYTHONPATH=python $(PYTHON_BIN) -m pytest -q tests/py

# Serves the example workspace until Ctrl-C; DEMO_ONCE=1 only prints the report.
demo: deps
	@$(MAKE) --no-print-directory build >/dev/null
	DEMO_ONCE="$(DEMO_ONCE)" PYTHONPATH=python $(PYTHON_BIN) examples/demo.py

bench: deps
	cmake -S . -B $(BUILD_DIR)-bench -DCMAKE_BUILD_TYPE=Release -DBORVANE_BENCH=ON -DBORVANE_TESTS=OFF -DPython3_EXECUTABLE=$(PYTHON_BIN) >/dev/null
	cmake --build $(BUILD_DIR)-bench -j$(JOBS) --target core_bench
	$(BUILD_DIR)-bench/core_bench
	@if [ -f bench/bench.py ]; then $(MAKE) --no-print-directory build && PYTHONPATH=python $(PYTHON_BIN) bench/bench.py; fi

clean:
	rm -rf $(BUILD_DIR) $(BUILD_DIR)-bench python/borvane_c4/_native*.so
