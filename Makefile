# make run   install what is missing, configure, build and start Tarvo Suite
# make test  the same set-up, then every test: the normal build, the sanitizer
#            build and a bounded fuzzing run
# make unit  only the normal build's tests (the quick loop while developing)

BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_FUZZ ?= build-fuzz
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60

.PHONY: run test unit deps build build-asan fuzz clean

deps:
	./scripts/install-deps.sh

$(BUILD)/CMakeCache.txt: | deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo

build: deps $(BUILD)/CMakeCache.txt
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/app/tarvo

unit: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

build-asan: deps
	cmake -S . -B $(BUILD_ASAN) -DCMAKE_BUILD_TYPE=Debug -DTARVO_SANITIZE=ON -DTARVO_BENCH=OFF
	cmake --build $(BUILD_ASAN) -j $(JOBS)

fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVO_FUZZ=ON -DTARVO_TESTS=ON -DTARVO_BENCH=OFF
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_targets
	./scripts/run-fuzzers.sh $(BUILD_FUZZ) $(FUZZ_SECONDS)

test: unit build-asan
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)
	$(MAKE) fuzz

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)
