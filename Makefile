# The two commands of the README: `make run` and `make test`.
# Each installs what is missing, configures build/ and builds first.
BUILD_DIR  := build
BUILD_TYPE ?= RelWithDebInfo
JOBS       ?= $(shell nproc)
PACKAGES   := g++ make cmake pkg-config libgtest-dev libgmock-dev libbenchmark-dev libjpeg-dev libcli11-dev qt6-base-dev fp-utils

.PHONY: all deps configure build run test bench clean

all: build

deps:
	@scripts/install-deps.sh $(PACKAGES)

configure: deps
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

# The program opens its help and manual from the folder it starts in: both are built into bin/.
run: build
	@cd $(BUILD_DIR)/bin && ./plashbox

test: build
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

bench: build
	@for b in $(BUILD_DIR)/bin/bench_*; do echo "== $$b"; $$b; done

clean:
	rm -rf $(BUILD_DIR)
