# Korvale: two commands do everything on a fresh Debian 12 machine.
#   make run    install what is missing, build, run the program
#   make test   install what is missing, build, run every test; then the
#               same suite built with AddressSanitizer and UBSan, which also
#               replays every fuzz target's corpus and regression inputs once
#               (the same inputs every run: nothing random can fail it)
#   make fuzz   every fuzz target for FUZZ_SECONDS each (clang, libFuzzer):
#               random inputs, so it runs only when asked for
#   make package  the Debian package $(BUILD)/korvale_<version>_<arch>.deb
BUILD ?= build
# One clang tree serves the sanitizer suite and the fuzz targets: the whole
# program is built there with ASan, UBSan and the fuzzer's coverage hooks.
SAN_BUILD ?= build-san
JOBS ?= $(shell nproc)
# ccache, when installed, makes rebuilds of other trees and branches quick.
CCACHE := $(shell command -v ccache 2>/dev/null)
CMAKE_FLAGS ?= $(if $(CCACHE),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
FUZZ_SECONDS ?= 60

# Sanitizer settings for the instrumented runs: stop at the first finding;
# leaks in system libraries' own caches (fontconfig) are not ours.
SANITIZER_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=0 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/fuzz/lsan.supp:print_suppressions=0 \
	UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

.PHONY: all deps build run test package san-configure test-asan fuzz-build fuzz clean

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

package: build
	@cd $(BUILD) && cpack -G DEB

san-configure: deps
	@CC=clang CXX=clang++ cmake -S . -B $(SAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DKORVALE_FUZZ=ON -DKORVALE_BENCH=OFF $(CMAKE_FLAGS) >/dev/null

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer (the
# build runs the generators, so it runs under the same settings), with the
# fuzz targets' corpus replays (FuzzCorpus.*).
test-asan: san-configure
	@$(SANITIZER_ENV) cmake --build $(SAN_BUILD) -j $(JOBS)
	@cd $(SAN_BUILD) && $(SANITIZER_ENV) ctest --output-on-failure -j $(JOBS)

fuzz-build: san-configure
	@$(SANITIZER_ENV) cmake --build $(SAN_BUILD) -j $(JOBS) --target korvale_fuzz

fuzz: fuzz-build
	@fuzz/run-fuzz.sh $(SAN_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
