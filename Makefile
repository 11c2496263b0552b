# The two set-up commands: `make run` builds and runs the tool, `make test` builds and runs every
# test. Both first install whatever Debian packages are missing.

GENERATOR := -G Ninja
RELEASE_DIR := build/release
ASAN_DIR := build/asan
TSAN_DIR := build/tsan
FUZZ_DIR := build/fuzz
FUZZ_SECONDS ?= 30
PREFIX ?= /usr/local

export ASAN_OPTIONS := detect_leaks=1:strict_string_checks=1
export UBSAN_OPTIONS := print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS := halt_on_error=1:second_deadlock_stack=1
export CTEST_OUTPUT_ON_FAILURE := 1

.PHONY: run test deps build fuzz screenshot package install performance-report

deps:
	bash scripts/install-deps

build: deps
	cmake -S . -B $(RELEASE_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(RELEASE_DIR) --target fenlowe fenlowe-demo-site

# Starts the bundled demo site in the background, runs the tool against it, and stops the site
# when the tool exits.
run: build
	bash scripts/run-with-demo-site $(RELEASE_DIR)

# The threaded tests of the non-GUI code run under ThreadSanitizer first, then every test under
# AddressSanitizer and UndefinedBehaviorSanitizer.
test: deps
	cmake -S . -B $(TSAN_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DFENLOWE_SANITIZE=thread -DFENLOWE_WITH_GUI=OFF
	cmake --build $(TSAN_DIR)
	cd $(TSAN_DIR) && ctest -L threads -j2
	cmake -S . -B $(ASAN_DIR) $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DFENLOWE_SANITIZE=address,undefined
	cmake --build $(ASAN_DIR)
	cd $(ASAN_DIR) && ctest -j2

# The fuzz targets, built with clang and libFuzzer apart from the other builds, each run
# FUZZ_SECONDS seconds (make fuzz FUZZ_SECONDS=600).
fuzz: deps
	cmake -S fuzz -B $(FUZZ_DIR) $(GENERATOR) -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_DIR)
	bash fuzz/run $(FUZZ_DIR) $(FUZZ_SECONDS)

# A picture of the tool's window on a virtual display, written to docs/screenshot.png.
screenshot: deps
	bash scripts/screenshot

# A Debian package of the release build, written to build/release/fenlowe_<version>_<arch>.deb.
package: build
	cd $(RELEASE_DIR) && cpack

# The release build installed under PREFIX: the program, its desktop entry and its icons.
install: build
	cmake --install $(RELEASE_DIR) --prefix $(PREFIX)

# The benchmarks built in release mode and run once, their figures written to docs/performance.md.
performance-report: deps
	python3 bench/performance-report
