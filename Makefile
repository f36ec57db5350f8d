# The two commands of the README: `make run` and `make test`.
# Each installs what is missing, configures build/ and builds first.
BUILD_DIR  := build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)
PACKAGES   := g++ ccache make cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev libjpeg-dev libpng-dev libgif-dev libcli11-dev qt6-base-dev fp-utils
# Compilers run through ccache, keyed on paths relative to this folder: a second clone (CI's)
# or a rebuild after switching branches compiles only what changed.
LAUNCHER := -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := 1
# The sanitizer build and the fuzz targets use clang with its run-time libraries.
SANITIZE_PACKAGES := clang-14 libclang-rt-14-dev
SANITIZE_DIR := build-sanitize
# The browser build: Debian's emscripten (it runs on Debian's node with its acorn), and for its
# tests Chromium with its driver and Selenium for the system's python3.
WEB_PACKAGES := emscripten nodejs node-acorn
WEB_TEST_PACKAGES := chromium chromium-driver python3-selenium
WEB_DIR := build-web
WEB_PORT ?= 8080
export NODE_PATH := /usr/share/nodejs

.PHONY: all deps configure build run test test-sanitize soak bench clean web web-run test-web

all: build

deps:
	@scripts/install-deps.sh $(PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(LAUNCHER) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The program opens its help and manual from the folder it starts in: both are built into bin/.
run: build
	@cd $(BUILD_DIR)/bin && ./plashbox

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-web

# plashbox.wasm, plashbox.js and the page in build-web/site/. Debian's emscripten ships its
# system libraries prebuilt in a frozen cache, so nothing is built into it.
web:
	@scripts/install-deps.sh $(WEB_PACKAGES)
	@emcmake cmake -S . -B $(WEB_DIR) -DCMAKE_BUILD_TYPE=Release \
	         -DPLASHBOX_HELP_PICTURES_DIR=$(CURDIR)/$(BUILD_DIR)/bin/help >/dev/null
	@cmake --build $(WEB_DIR) -j $(JOBS)

web-run: web
	@echo "Plashbox in the browser: http://127.0.0.1:$(WEB_PORT)/"
	@cd $(WEB_DIR)/site && /usr/bin/python3 -m http.server $(WEB_PORT) --bind 127.0.0.1

# The page in headless Chromium, its frames compared with the driver's (build/bin/plashbox-cli).
test-web: build web
	@scripts/install-deps.sh $(WEB_TEST_PACKAGES)
	@/usr/bin/python3 web/tests/browser_test.py --site $(WEB_DIR)/site --cli $(BUILD_DIR)/bin/plashbox-cli

# The whole suite again, built by clang with address, undefined-behaviour and float-cast checks
# (no documents, no benchmarks). Leaks are reported too.
test-sanitize:
	@scripts/install-deps.sh $(PACKAGES) $(SANITIZE_PACKAGES)
	@cmake -S . -B $(SANITIZE_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++-14 $(LAUNCHER) \
	       -DPLASHBOX_SANITIZE=ON -DPLASHBOX_BUILD_DOCS=OFF -DPLASHBOX_BUILD_BENCH=OFF >/dev/null
	@ASAN_OPTIONS=detect_leaks=0 cmake --build $(SANITIZE_DIR) -j $(JOBS)
	@cd $(SANITIZE_DIR) && UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	  ctest --output-on-failure -j $(JOBS)

# A million ticks of every source type, every cell checked and the memory watched.
soak: build
	@$(BUILD_DIR)/bin/plashbox-soak

bench: build
	@for b in $(BUILD_DIR)/bin/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD_DIR) $(SANITIZE_DIR) $(WEB_DIR)
