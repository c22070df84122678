# Tracelo: the two set-up commands are `make run` and `make test`.
JOBS ?= 2
BUILD ?= build
TEST_BUILD ?= build-test
BENCH_BUILD ?= build-bench
FUZZ_BUILD ?= build-fuzz
TSAN_BUILD ?= build-tsan
PREFIX ?= /usr/local
FUZZ_SECONDS ?= 60
FUZZ_LONG_SECONDS ?= 300

.PHONY: setup setup-test run build install uninstall package test bench tsan fuzz-build \
	fuzz-short fuzz clean

# What building and running need; the tests, benchmarks and fuzzers add
# theirs (scripts/packages.txt).
setup:
	@bash scripts/setup.sh run

setup-test:
	@bash scripts/setup.sh test

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DTRACELO_TESTS=OFF
	cmake --build $(BUILD) -j$(JOBS)

run: build
	@bash scripts/run.sh $(BUILD)

# Into PREFIX (/usr/local unless given), under DESTDIR when set; through sudo
# when the destination is not writable. `make uninstall` removes what the
# last `make install` put there.
install: build
	@bash scripts/install.sh install $(BUILD) $(PREFIX)

uninstall:
	@bash scripts/install.sh uninstall $(BUILD) $(PREFIX)

# tracelo_<version>_<arch>.deb in $(BUILD), checked by lintian when it is
# installed (`make test` installs it).
package: build
	cd $(BUILD) && cpack -G DEB
	@if command -v lintian >/dev/null 2>&1; then \
	  echo "lintian:"; lintian --fail-on error $(BUILD)/tracelo_*.deb; fi

# The package test packs the optimised tree of `make run` and `make package`,
# never the test tree, whose sanitizers would become the package's
# dependencies. After `make run` it is already built; from a fresh clone it
# costs one more build, about what an unoptimised one would, as parsing the
# Qt headers dominates.
test: setup-test build
	cmake -S . -B $(TEST_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTRACELO_SANITIZE=ON -DTRACELO_TESTS=ON \
	  -DTRACELO_PACKAGE_TEST_TREE=$(abspath $(BUILD))
	cmake --build $(TEST_BUILD) -j$(JOBS)
	$(MAKE) --no-print-directory fuzz-short
	cd $(TEST_BUILD) && ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j$(JOBS) --timeout 600

bench: setup-test
	cmake -S . -B $(BENCH_BUILD) -DCMAKE_BUILD_TYPE=Release -DTRACELO_TESTS=OFF -DTRACELO_BENCH=ON
	cmake --build $(BENCH_BUILD) -j$(JOBS)
	@for b in $(BENCH_BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done

# The sampling tests under ThreadSanitizer, built by clang so that LLVM's
# OpenMP runtime tells the sanitizer about its own synchronisation. Not part
# of `make test`.
tsan: setup-test
	CC=clang CXX=clang++ cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTRACELO_TSAN=ON -DTRACELO_TESTS=ON
	cmake --build $(TSAN_BUILD) -j$(JOBS) --target test_sampling
	TSAN_OPTIONS='halt_on_error=1 ignore_noninstrumented_modules=1' $(TSAN_BUILD)/tests/core/expr/test_sampling

# The fuzz targets, built by clang with libFuzzer. `make test` runs each for
# FUZZ_SECONDS (60); `make fuzz` runs each for FUZZ_LONG_SECONDS (300).
fuzz-build: setup-test
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DTRACELO_FUZZ=ON -DTRACELO_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j$(JOBS) --target fuzz_targets

fuzz-short: fuzz-build
	@bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

fuzz: fuzz-build
	@bash scripts/fuzz.sh $(FUZZ_BUILD) $(FUZZ_LONG_SECONDS)

clean:
	rm -rf $(BUILD) $(TEST_BUILD) $(BENCH_BUILD) $(FUZZ_BUILD) $(TSAN_BUILD)
