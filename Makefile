# Korvale: two commands do everything on a fresh Debian 12 machine.
#   make run    install what is missing, build, run the program
#   make test   install what is missing, build, run every test; then the
#               same suite built with AddressSanitizer and UBSan, and every
#               fuzz target for a few seconds on its corpus
#   make fuzz   every fuzz target for FUZZ_SECONDS each (clang, libFuzzer)
BUILD ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=
FUZZ_SECONDS ?= 60
FUZZ_TEST_SECONDS ?= 10

# Sanitizer settings for the instrumented runs: stop at the first finding;
# leaks in system libraries' own caches (fontconfig) are not ours.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all deps build run test test-asan fuzz-build fuzz fuzz-smoke clean

all: build

deps:
	@scripts/install-deps

build: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run-main $(BUILD)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	@$(MAKE) --no-print-directory test-asan
	@$(MAKE) --no-print-directory fuzz-smoke

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKORVALE_SANITIZE=ON \
	  -DKORVALE_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@$(SANITIZER_ENV) cmake --build $(ASAN_BUILD) -j $(JOBS)
	@cd $(ASAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

# The fuzz targets need clang's libFuzzer; their tree is instrumented whole.
fuzz-build: deps
	@CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKORVALE_FUZZ=ON -DKORVALE_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target korvale_fuzz

fuzz: fuzz-build
	@fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

# A short run of every target, so that a regression on the corpus is caught.
fuzz-smoke: fuzz-build
	@fuzz/run-fuzz.sh $(FUZZ_BUILD) $(FUZZ_TEST_SECONDS) >$(FUZZ_BUILD)/fuzz-smoke.log 2>&1 \
	  || { tail -n 60 $(FUZZ_BUILD)/fuzz-smoke.log; exit 1; }
	@grep -E '^(== |Done )' $(FUZZ_BUILD)/fuzz-smoke.log

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
