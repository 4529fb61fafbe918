# Quick start: `make run` starts the reader, `make test` runs every test.
# Both install what is missing first (see scripts/setup.sh).

BUILD      ?= build
SAN_BUILD  ?= build-san
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# How long each fuzzer runs inside the test suite (CI raises it).
FUZZ_SMOKE_SECONDS ?= 10
export FUZZ_SECONDS FUZZ_SMOKE_SECONDS

CMAKE_GEN := -G Ninja

.PHONY: all setup build build-san test test-san run fuzz bench format clean

all: build

setup:
	@scripts/setup.sh

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo

$(SAN_BUILD)/build.ninja:
	cmake -S . -B $(SAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_COMPILER=clang++ -DPAGORA_SANITIZE=ON -DPAGORA_FUZZ=ON -DPAGORA_BENCH=OFF

build: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

build-san: setup $(SAN_BUILD)/build.ninja
	cmake --build $(SAN_BUILD) -j $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer (fuzzers included),
# then the whole suite in the normal build.
test: build-san build
	cd $(SAN_BUILD) && ctest -j $(JOBS) --output-on-failure
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure

run: build
	@scripts/run-reader.sh $(BUILD)/bin

fuzz: build-san
	@scripts/run-fuzzers.sh $(SAN_BUILD)/bin $(FUZZ_SECONDS)

bench: build
	@scripts/run-benchmarks.sh $(BUILD)/bin

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
