# Velmora: the two everyday commands are `make run` and `make test`.
#   make run                     the console on three emulated devices
#   make run PORT=/dev/ttyUSB0   the console on real hardware
#   make test                    install missing packages, build, run every test
#   make test-sanitizers         the suite under ASan+UBSan, the link engine under TSan
#   make bench                   the benchmarks, with their figures

BUILD      ?= build
GENERATOR  ?= Ninja
JOBS       ?= $(shell nproc)
PORT       ?=

.PHONY: all deps configure build run test test-asan test-tsan test-sanitizers bench clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -G $(GENERATOR) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

run: build
	@scripts/run.sh $(BUILD) $(PORT)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: deps
	@cmake -S . -B build-asan -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=address >/dev/null
	@cmake --build build-asan -j $(JOBS)
	@cd build-asan && ctest --output-on-failure -j $(JOBS)

# ThreadSanitizer covers the link engine and what runs its threads.
test-tsan: deps
	@cmake -S . -B build-tsan -G $(GENERATOR) -DCMAKE_BUILD_TYPE=Debug -DVELMORA_SANITIZE=thread -DVELMORA_GUI=OFF >/dev/null
	@cmake --build build-tsan -j $(JOBS)
	@cd build-tsan && ctest --output-on-failure -j $(JOBS) -L tsan

test-sanitizers: test-asan test-tsan

bench: build
	@scripts/bench.sh $(BUILD)

clean:
	rm -rf build build-asan build-tsan
