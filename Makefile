# Top-level commands. `make test` is what CI runs: it installs the Debian
# packages the build needs, builds the native, Windows and sanitizer trees, and
# runs every test in all three; the 32-bit Windows tree, which cannot run here,
# is built (shipped targets only) and checked statically, and the Debian
# package's contents are checked.

JOBS ?= $(shell nproc)
NATIVE := build/native
WIN64 := build/win64
WIN32 := build/win32
DIST := dist
ASAN := build/asan
CMAKE_FLAGS ?= -DKESTRO_WERROR=ON
# A compiler cache, when the machine has one, makes rebuilds of several trees cheap.
ifneq ($(shell command -v ccache 2>/dev/null),)
CMAKE_FLAGS += -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache
endif

.PHONY: all test deps native windows windows32 asan test-native test-windows test-win32 test-deb test-asan \
        bench fuzz clean scan dist deb

all: native windows

deps:
	scripts/install-deps.sh

# The native and sanitizer trees keep line tables only (-g1): enough for the
# sanitizers' and a crash's backtraces, and they compile about a quarter faster
# than with full debugging information.
$(NATIVE)/CMakeCache.txt:
	cmake -S . -B $(NATIVE) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" $(CMAKE_FLAGS)

$(WIN64)/CMakeCache.txt:
	cmake -S . -B $(WIN64) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release $(CMAKE_FLAGS)

# 32-bit Windows: no tests (they cannot run here); its setup takes the
# databases of the 64-bit tree (the same bytes).
$(WIN32)/CMakeCache.txt:
	cmake -S . -B $(WIN32) -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake -DCMAKE_BUILD_TYPE=Release \
	  -DKESTRO_TESTS=OFF -DKESTRO_BENCH=OFF -DKESTRO_SETUP_DATABASES=$(abspath $(WIN64))/out $(CMAKE_FLAGS)

$(ASAN)/CMakeCache.txt:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG=-g1 -DCMAKE_C_FLAGS_DEBUG=-g1 \
	  -DKESTRO_SANITIZE=ON -DKESTRO_BENCH=OFF $(CMAKE_FLAGS)

native: deps $(NATIVE)/CMakeCache.txt
	cmake --build $(NATIVE) -j $(JOBS)

windows: deps $(WIN64)/CMakeCache.txt
	cmake --build $(WIN64) -j $(JOBS)

# Only what is shipped: the program and its libraries.
windows32: deps $(WIN32)/CMakeCache.txt
	cmake --build $(WIN32) -j $(JOBS) --target kestro_antivirus

asan: deps $(ASAN)/CMakeCache.txt
	cmake --build $(ASAN) -j $(JOBS)

test-native: native
	cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

test-windows: windows
	scripts/run-wine-tests.sh $(WIN64) $(JOBS)

test-asan: asan
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

# Exports, imports, image types and the x86 setup's contents (see the script).
test-win32: windows windows32
	cmake --build $(WIN32) -j $(JOBS) --target kestro_setup
	scripts/check-win32.py --x86 $(WIN32)/out --x64 $(WIN64)/out \
	  --setup $(WIN32)/dist/KESTRO-Antivirus-$$(sed -n 's/.*KESTRO_VERSION_TEXT "\(.*\)"/\1/p' $(WIN32)/generated/kestro_version.h)-x86-setup.exe

# The Debian package: contents, dependencies, lintian, and the packaged
# kestro-scan run from the unpacked files on the demo tree.
test-deb: deb
	scripts/check-deb.sh $(DIST) $(NATIVE)

test: test-native test-windows test-win32 test-deb test-asan

bench: native
	$(NATIVE)/bench/kestro-bench-crc
	$(NATIVE)/bench/kestro-bench-sigdb
	$(NATIVE)/bench/kestro-bench-huffman
	$(NATIVE)/bench/kestro-bench-filecheck
	$(NATIVE)/bench/kestro-bench-matcher
	bench/compare.sh $(NATIVE)

# Runs every fuzz target for FUZZ_SECONDS each (clang tree in build/fuzz).
FUZZ_SECONDS ?= 60
fuzz: deps
	cmake -S . -B build/fuzz -DKESTRO_FUZZ=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang -DKESTRO_BENCH=OFF
	cmake --build build/fuzz -j $(JOBS) $$(grep -ho 'kestro_fuzz(fuzz_[a-z_0-9]*' tests/fuzz/*.cmake | sed 's/kestro_fuzz(/--target /')
	for f in build/fuzz/fuzz/fuzz_*; do mkdir -p build/fuzz/corpus/$$(basename $$f); $$f -max_total_time=$(FUZZ_SECONDS) build/fuzz/corpus/$$(basename $$f) || exit 1; done

# `make scan DIR=/some/folder` scans that folder with the default databases;
# without DIR it writes a demo tree of harmless test files and scans that.
DEMO := build/demo-tree
scan: native
ifdef DIR
	$(NATIVE)/out/kestro-scan "$(DIR)"; status=$$?; [ $$status -le 1 ]
else
	rm -rf $(DEMO)
	$(NATIVE)/tests/kestro-demo-tree $(DEMO)
	$(NATIVE)/out/kestro-scan $(DEMO); status=$$?; [ $$status -le 1 ]
endif

# dist/KESTRO-Antivirus-<version>-x64-setup.exe and -x86-setup.exe (NSIS).
dist: windows windows32
	cmake --build $(WIN64) -j $(JOBS) --target kestro_setup
	cmake --build $(WIN32) -j $(JOBS) --target kestro_setup
	mkdir -p $(DIST)
	cp $(WIN64)/dist/KESTRO-Antivirus-*-x64-setup.exe $(WIN32)/dist/KESTRO-Antivirus-*-x86-setup.exe $(DIST)/

# dist/kestro_<version>_amd64.deb (CPack): the console tools, databases, man pages.
deb: native
	cmake --build $(NATIVE) -j $(JOBS) --target kestro_man
	rm -f $(NATIVE)/package/kestro_*.deb
	cd $(NATIVE) && cpack -G DEB
	mkdir -p $(DIST)
	cp $(NATIVE)/package/kestro_*.deb $(DIST)/

clean:
	rm -rf build dist
