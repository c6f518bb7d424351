# Kelvara: the two commands of the README, and the developer targets.
#   make run    install what is missing, build, start the game
#   make test   install what is missing, build, run every test
BUILD      ?= build
BUILD_ASAN ?= build-asan
CMAKE_GEN  := -G Ninja
JOBS       ?= $(shell nproc)

.PHONY: all deps build build-asan run test test-unit test-asan bench screenshots clean

all: build

deps:
	@tools/install-deps.sh

build: deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)

run: build
	./$(BUILD)/kelvara

# Every test: the headless suite, the same suite under the sanitizers, and
# the end-to-end tests in a real X server.
test: build build-asan
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(BUILD_ASAN) --output-on-failure -j $(JOBS) -L unit

test-unit: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -L unit

clean:
	rm -rf $(BUILD) $(BUILD_ASAN)
