# Kelvara: the commands of the README, and the developer targets.
#   make build  the program (and its icon), to run or install
#   make run    build it and start the game at --pace 500 (ARGS="..." instead)
#   make test   build everything and run every test
# Each target first installs the Debian packages it needs that are missing
# (tools/install-deps.sh, by group), and only those.
BUILD      ?= build
BUILD_ASAN ?= build-asan
CMAKE_GEN  := -G Ninja
JOBS       ?= $(shell nproc)
# What `make run` passes to the game: the pace the menu entry uses, at which
# Easy runs in real time. `make run ARGS=` runs the frames back to back.
ARGS        = --pace 500
# The program and what `make install` puts beside it; the tests, tools and
# benchmark are built by the targets that use them.
PROGRAM_TARGETS := kelvara kelvara_icons

.PHONY: all deps deps-build deps-windows deps-package deps-web deps-test deps-bench deps-fuzz
.PHONY: configure build build-tests build-asan run test test-unit bench screenshots clean

all: build

DEPS := tools/install-deps.sh
deps:         ; @$(DEPS)
deps-build:   ; @$(DEPS) build
deps-windows: ; @$(DEPS) windows
deps-package: ; @$(DEPS) package
deps-web:     ; @$(DEPS) web
deps-test:    ; @$(DEPS) build windows package web test
deps-bench:   ; @$(DEPS) build web test
deps-fuzz:    ; @$(DEPS) build fuzz

# The tests stay as the build directory last had them: on once `make test`
# asked for them, off on a machine without GoogleTest.
configure:
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CONFIGURE_ARGS)

build: deps-build
	$(MAKE) --no-print-directory configure
	cmake --build $(BUILD) -j $(JOBS) --target $(PROGRAM_TARGETS)

run: build
	./$(BUILD)/kelvara $(ARGS)

# Everything: the program, the test programs, the tools and the benchmark.
build-tests: deps-test
	$(MAKE) --no-print-directory configure CONFIGURE_ARGS=-DKV_TESTS=ON
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps-test
	cmake -S . -B $(BUILD_ASAN) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DKV_SANITIZE=ON -DKV_TESTS=ON
	cmake --build $(BUILD_ASAN) -j $(JOBS)

# Every test: the headless suite, the same suite under the sanitizers, and
# the end-to-end tests in a real X server, under Wine and in a browser.
test: build-tests build-asan
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(BUILD_ASAN) --output-on-failure -j $(JOBS) -L unit

test-unit: build-tests
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS) -L unit

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_FUZZ)

# The frame benchmark (optimised build, headless figures, then the real
# program in an X window under Xvfb beside a bare present loop).
BUILD_BENCH ?= build-bench
bench: deps-bench
	cmake -S . -B $(BUILD_BENCH) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DKV_TESTS=OFF
	cmake --build $(BUILD_BENCH) -j $(JOBS) --target kelvara_bench kelvara_raw_shm \
	  kelvara_raw_wl_shm kelvara_wl_clicker kelvara
	bench/run.sh $(BUILD_BENCH)
	$(MAKE) --no-print-directory web
	bench/web.sh $(BUILD_BENCH) $(BUILD_WEB)

# The same game as a genuine Windows program (cross-compiled with MinGW-w64),
# and the drawing probe beside it: build-windows/kelvara.exe.
BUILD_WINDOWS ?= build-windows
.PHONY: windows
windows: deps-windows
	cmake -S . -B $(BUILD_WINDOWS) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-w64-x86_64.cmake
	cmake --build $(BUILD_WINDOWS) -j $(JOBS)

# The fuzz harnesses of tests/fuzz/, built with clang, libFuzzer and the
# sanitizers, each run for FUZZ_SECONDS under a memory limit, seeded from the
# program's own resources. Findings land in build-fuzz/fuzz-artifacts/.
BUILD_FUZZ    ?= build-fuzz
FUZZ_SECONDS  ?= 60
FUZZ_RSS_MB   ?= 2048
FUZZ_TARGETS  ?= res_reader menu_template dialog_template dib text recording_reader fon_reader
.PHONY: fuzz
fuzz: deps-fuzz
	cmake -S . -B $(BUILD_FUZZ) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKV_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(BUILD_FUZZ) -j $(JOBS) --target fuzz_seed kelvara_resources \
	  $(addprefix fuzz_,$(FUZZ_TARGETS))
	tests/fuzz/run.sh $(BUILD_FUZZ) $(FUZZ_SECONDS) $(FUZZ_RSS_MB) $(FUZZ_TARGETS)

# Pictures of the game, rendered headless: build/screenshots/*.png
screenshots: deps-build
	$(MAKE) --no-print-directory configure
	cmake --build $(BUILD) -j $(JOBS) --target kv_screenshots
	./$(BUILD)/tools/screenshots/kv_screenshots $(BUILD)/screenshots

# Redraws res/*.bmp from their sources in res/art/; the build itself uses the
# committed pictures, and test_res fails when the two differ.
.PHONY: pictures
pictures: deps-build
	$(MAKE) --no-print-directory configure
	cmake --build $(BUILD) --target pictures

# Installs the program, its desktop entry, icon, AppStream metadata and
# manual page under $(PREFIX); DESTDIR stages the install elsewhere.
PREFIX ?= /usr/local
.PHONY: install package
install: build
	DESTDIR=$(DESTDIR) cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package build/kelvara_VERSION_ARCH.deb, and the Windows build as
# build-windows/kelvara-VERSION-windows-x64.zip (program, README, licence) and
# as the setup program build-windows/kelvara-VERSION-setup.exe (NSIS, with the
# icon that the native build draws). Each script prints what it wrote; it
# installs what packaging needs first.
package: deps-package build windows
	dist/make-deb.sh $(BUILD)
	dist/make-zip.sh $(BUILD_WINDOWS)
	dist/make-setup.sh $(BUILD_WINDOWS) $(BUILD)/icons/kelvara.ico

# The same game in a browser tab (emscripten): build-web/index.html with
# kelvara.js and kelvara.wasm beside it. Debian's emcc finds its JavaScript
# optimizer's parser (node-acorn) only through NODE_PATH.
BUILD_WEB ?= build-web
WEB_ENV   := NODE_PATH=/usr/share/nodejs
.PHONY: web web-serve
web: deps-web
	$(WEB_ENV) emcmake cmake -S . -B $(BUILD_WEB) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release
	$(WEB_ENV) cmake --build $(BUILD_WEB) -j $(JOBS)

# Serves the page on 127.0.0.1 at a free port, which the server prints.
web-serve: web
	cd $(BUILD_WEB) && python3 -m http.server --bind 127.0.0.1 0
