# Quick start: `make run` starts the reader, `make test` runs every test, `make package` makes
# the Debian package. Each first installs what it needs and is missing (scripts/setup.sh).

BUILD      ?= build
SAN_BUILD  ?= build-san
JOBS       ?= $(shell nproc)
FUZZ_SECONDS ?= 60
# How long each fuzzer runs inside the test suite (CI raises it).
FUZZ_SMOKE_SECONDS ?= 10
export FUZZ_SECONDS FUZZ_SMOKE_SECONDS

CMAKE_GEN := -G Ninja
# The programs and the data: all that `make run` and `make package` build.
READER_TARGETS := pagora pagora-export pagora-pack pagora_archives pagora_install_files

.PHONY: all setup setup-tests setup-package configure-tests build build-san test run fuzz bench \
        package format clean

all: build

setup:
	@scripts/setup.sh run

setup-tests:
	@scripts/setup.sh test

setup-package:
	@scripts/setup.sh package

# The normal build folder starts without the tests and benchmarks, which need more packages;
# `make test` (and `make`) switch them on.
$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DPAGORA_TESTS=OFF -DPAGORA_BENCH=OFF

configure-tests: $(BUILD)/build.ninja
	@grep -q '^PAGORA_TESTS:BOOL=ON' $(BUILD)/CMakeCache.txt && \
	  grep -q '^PAGORA_BENCH:BOOL=ON' $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) -DPAGORA_TESTS=ON -DPAGORA_BENCH=ON

$(SAN_BUILD)/build.ninja:
	cmake -S . -B $(SAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug \
	  -DCMAKE_CXX_COMPILER=clang++ -DPAGORA_SANITIZE=ON -DPAGORA_FUZZ=ON -DPAGORA_BENCH=OFF

build: setup-tests configure-tests
	cmake --build $(BUILD) -j $(JOBS)

build-san: setup-tests $(SAN_BUILD)/build.ninja
	cmake --build $(SAN_BUILD) -j $(JOBS)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer (fuzzers included),
# then the whole suite in the normal build (with the installed tree and the Debian package).
test: build-san build
	cd $(SAN_BUILD) && ctest -j $(JOBS) --output-on-failure
	cd $(BUILD) && ctest -j $(JOBS) --output-on-failure

run: setup $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target $(READER_TARGETS)
	@scripts/run-reader.sh $(BUILD)/bin

# pagora_<version>_<arch>.deb in the build folder.
package: setup-package $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target $(READER_TARGETS)
	cd $(BUILD) && cpack -G DEB

fuzz: build-san
	@scripts/run-fuzzers.sh $(SAN_BUILD)/bin $(FUZZ_SECONDS)

bench: build
	@scripts/run-benchmarks.sh $(BUILD)/bin

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(SAN_BUILD)
