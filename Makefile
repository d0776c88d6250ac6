# Korrin: `make run` starts the reader, `make test` runs every test headless,
# `make setup-package` builds the installer's setup folder.
# Both install what is missing first (Debian packages, via apt-get).

BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=

.PHONY: deps configure build run test bench sanitize fuzz clean setup-package

deps:
	@scripts/install-deps

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-demo $(BUILD)

test: build
	@cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS) --timeout 300

bench: build
	@scripts/run-bench $(BUILD)

# The setup folder (setup, setup.inf, setup.lib, install.lib, the unzip plugin).
setup-package: build
	@scripts/make-setup-package $(BUILD)/bin $(BUILD)/setup-package

# Core test suite under the address and undefined-behaviour sanitizers.
sanitize: deps
	@cmake -S . -B build-sanitize -G Ninja -DKORRIN_SANITIZE=ON -DKORRIN_BUILD_UI=OFF -DKORRIN_BUILD_BENCH=OFF \
	  -DCMAKE_BUILD_TYPE=Debug >/dev/null
	@cmake --build build-sanitize -j $(JOBS)
	@cd build-sanitize && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# libFuzzer targets, each run briefly (FUZZ_SECONDS each).
FUZZ_SECONDS ?= 20
fuzz: deps
	@CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DKORRIN_FUZZ=ON -DKORRIN_BUILD_UI=OFF \
	  -DKORRIN_BUILD_TESTS=OFF -DKORRIN_BUILD_BENCH=OFF >/dev/null
	@cmake --build build-fuzz -j $(JOBS)
	@scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

clean:
	@rm -rf $(BUILD) build-sanitize build-fuzz
