# make run      install what building and running need, configure, build and
#               start Tarvo Suite
# make test     install what the tests need as well, then every test: the
#               normal build, the sanitizer build and a bounded fuzzing run
# make unit     only the normal build's tests (the quick loop while developing)
# make package  the Debian package build/tarvo_<version>_<arch>.deb
# make screenshots  the README's pictures under docs/images/

BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CONFIGURE  = cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: run test unit package screenshots deps-run deps-package deps-test build-app build-all build-asan fuzz clean

deps-run:
	./scripts/install-deps.sh run

deps-package:
	./scripts/install-deps.sh package

deps-test:
	./scripts/install-deps.sh test

# The program alone: no tests, no benchmarks.
build-app: deps-run
	$(CONFIGURE) -DTARVO_TESTS=OFF -DTARVO_BENCH=OFF
	cmake --build $(BUILD) -j $(JOBS)

build-all: deps-test
	$(CONFIGURE) -DTARVO_TESTS=ON -DTARVO_BENCH=ON
	cmake --build $(BUILD) -j $(JOBS)

run: build-app
	./$(BUILD)/app/tarvo

package: deps-package build-app
	cd $(BUILD) && cpack

screenshots: build-all
	./scripts/screenshots.sh $(BUILD) docs/images

unit: build-all
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

build-asan: deps-test
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DTARVO_SANITIZE=ON -DTARVO_BENCH=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS)

fuzz: deps-test
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_FUZZ=ON -DTARVO_TESTS=ON -DTARVO_BENCH=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_targets
	./scripts/run-fuzzers.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

test: unit build-asan
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
