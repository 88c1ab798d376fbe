# Orvel 97 — the commands a user and CI type.
#   make run      install what is missing, build, start Orvel 97
#   make test     install what is missing, build, run every test
#   make build    build only, into build/
#   make bench    build and run the benchmarks (orvel-bench)
#   make install  install the program, orvel-cli, the desktop entry, icon and file type
#   make dist     lay out the disk set Setup installs from, in $(BUILD_DIR)/dist
#   make deb      build the Debian package orvel_<version>_amd64.deb in $(BUILD_DIR)

BUILD_DIR ?= build
PREFIX ?= /usr/local
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
ifneq ($(CI),)
CMAKE_FLAGS += -DORVEL_WERROR=ON
endif

export CCACHE_SLOPPINESS := pch_defines,time_macros,include_file_mtime,include_file_ctime

.PHONY: all run test build bench install dist deb deps configure clean

all: build

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_INSTALL_PREFIX=$(PREFIX) $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS)

test: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target dist deb
	@cd $(BUILD_DIR) && ctest --output-on-failure -j $(JOBS)

run: build
	@bash scripts/run.sh $(BUILD_DIR)/app/orvel

bench: build
	@$(BUILD_DIR)/bench/orvel-bench $(BENCH_ARGS)

install: build
	@cmake --install $(BUILD_DIR)

dist: configure
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target dist

deb: build
	@cmake --build $(BUILD_DIR) -j $(JOBS) --target deb

clean:
	@rm -rf $(BUILD_DIR)
