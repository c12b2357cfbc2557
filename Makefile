# make run    installs what is missing, builds, starts the recorder
# make test   installs what is missing, builds, runs every test
# make bench  builds optimised and runs the benchmarks
# make fuzz   builds the fuzz targets with clang and runs each for FUZZ_TIME seconds
BUILD ?= build
JOBS ?= $(shell nproc)
CMAKE_FLAGS ?=

FUZZ_TIME ?= 60

.PHONY: all bootstrap configure build run test bench fuzz clean

all: build

bootstrap:
	@scripts/bootstrap

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja $(CMAKE_FLAGS)

configure: bootstrap $(BUILD)/build.ninja

build: configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	scripts/run $(BUILD)/tavrin $(ARGS)

test: build
	cd $(BUILD) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

bench: bootstrap
	cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release
	cmake --build build-bench -j $(JOBS) --target benchmarks
	scripts/bench build-bench

fuzz: bootstrap
	scripts/fuzz $(FUZZ_TIME)

clean:
	rm -rf $(BUILD) build-asan build-bench build-fuzz
