# Versino: the two commands a developer needs are `make run` and `make test`.
# Both install missing Debian packages first, then configure and build with CMake and Ninja:
# `make run` only what building and running need, `make test` also the test suite's tools.
#   make test SANITIZE=1   builds in build-asan with AddressSanitizer and UBSan and runs the suite there
#   make bench             builds optimised and runs the benchmarks (by hand, never part of the tests)
#   make fuzz              builds the libFuzzer targets with clang and runs each for FUZZ_SECONDS
#   make package           builds in build-package (stripped, no tests) and makes versino_VERSION_ARCH.deb there

SANITIZE ?= 0
FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)

ifeq ($(SANITIZE),1)
BUILD ?= build-asan
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=Debug -DVERSINO_SANITIZE=ON
else
BUILD ?= build
CMAKE_FLAGS += -DCMAKE_BUILD_TYPE=RelWithDebInfo
endif

.PHONY: all deps configure build run test bench fuzz package clean

all: build

# Which extra packages a goal needs; `make test` passes its choice down to deps and configure.
DEPS_FOR ?=

deps:
	@scripts/install-deps $(DEPS_FOR)

configure: deps
	@cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@if [ -n "$$DISPLAY$$WAYLAND_DISPLAY" ]; then \
	  $(BUILD)/src/versino; \
	else \
	  echo "No display found: start Versino from a desktop session, or under Xvfb: 'xvfb-run $(BUILD)/src/versino'."; \
	fi

test: DEPS_FOR = --test
test: CMAKE_FLAGS += -DVERSINO_TESTS=ON
test: build
	@scripts/run-tests $(BUILD) $(JOBS)

bench: DEPS_FOR = --bench
bench: deps
	@cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DVERSINO_BENCH=ON >/dev/null
	@cmake --build build-bench -j $(JOBS)
	@scripts/run-benchmarks build-bench

fuzz: DEPS_FOR = --fuzz
fuzz: deps
	@cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ -DVERSINO_FUZZ=ON >/dev/null
	@cmake --build build-fuzz -j $(JOBS) --target fuzzers
	@scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

# The Debian package, from a build of its own without the test suite; CPack computes the library
# dependencies with dpkg-shlibdeps.
package: DEPS_FOR = --package
package: deps
	@cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVERSINO_TESTS=OFF >/dev/null
	@cmake --build build-package -j $(JOBS)
	@cd build-package && cpack -G DEB

clean:
	rm -rf build build-asan build-bench build-fuzz build-package
