# Korrin: `make run` starts the reader, `make test` runs every test headless,
# `make install` installs into PREFIX (DESTDIR is honoured), `make package`
# builds the Debian package, `make setup-package` builds the installer's setup folder.
# Both install what is missing first (Debian packages, via apt-get).

BUILD ?= build
JOBS ?= 2
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: deps configure build run test bench sanitize fuzz clean setup-package install package package-check

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

# Programs, plugins, help, desktop entry, icon, file types and manual pages
# under PREFIX (bin/, lib/korrin/, share/); as root, the desktop's caches are
# brought up to date so that the menu and file managers know Korrin at once.
install: build
	@cmake --install $(BUILD) --prefix $(PREFIX) --strip
	@if [ -z "$(DESTDIR)" ] && [ -w "$(PREFIX)/share" ]; then \
	  ! command -v update-mime-database >/dev/null || update-mime-database "$(PREFIX)/share/mime"; \
	  ! command -v update-desktop-database >/dev/null || update-desktop-database -q "$(PREFIX)/share/applications"; \
	  ! command -v gtk-update-icon-cache >/dev/null || gtk-update-icon-cache -q -t "$(PREFIX)/share/icons/hicolor"; \
	fi

# The Debian package, in $(BUILD)/package/.
package: build
	@cd $(BUILD) && cpack --config CPackConfig.cmake

# The package built, then its contents checked.
package-check: package
	@bash tests/install/package_contents.sh "$$(ls -t $(BUILD)/package/korrin_*.deb | head -1)"

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
