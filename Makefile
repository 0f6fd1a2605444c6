# Thin front door over CMake: each target installs what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all bootstrap build run test sanitize tsan fuzz tidy package windows-deps windows windows-smoke test-windows bench-windows clean

# Sub-makes (CMake's own) without their "Entering directory" lines: the
# build's progress is what is left.
MAKEFLAGS += --no-print-directory

# Every build folder compiles through ccache (scripts/bootstrap installs it).
# Paths are taken relative to the clone and the working folder is left out of
# the hash, so the build folders of one clone, and clones on one machine, share
# their hits.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true
LAUNCHER := -DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The sanitizer builds leave warnings as warnings: GCC's instrumented code
# draws warnings of its own (truncation, maybe-uninitialized) that the plain
# build, where warnings are errors, does not; the plain build and the fuzzing
# build (clang) hold the code to them.
NO_WERROR := -DPLOVA_WERROR=OFF

# The whole suite once more under AddressSanitizer and UndefinedBehaviorSanitizer,
# in a build folder of its own; the first report fails the run. Known leaks of
# the windowing libraries are listed in scripts/lsan.supp.
SANITIZE_BUILD ?= build-sanitize
SANITIZE_FLAGS := -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
sanitize: bootstrap
	@cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  $(LAUNCHER) $(NO_WERROR) \
	  -DCMAKE_C_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(SANITIZE_FLAGS)" -DCMAKE_SHARED_LINKER_FLAGS="$(SANITIZE_FLAGS)" >/dev/null
	@cmake --build $(SANITIZE_BUILD) -j$(JOBS)
	@cd $(SANITIZE_BUILD) && \
	  ASAN_OPTIONS=halt_on_error=1:abort_on_error=0:detect_leaks=1:strict_string_checks=1:detect_stack_use_after_return=1 \
	  LSAN_OPTIONS=suppressions=$(CURDIR)/scripts/lsan.supp:print_suppressions=0 \
	  UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	  ctest --output-on-failure -j$(JOBS)

# The threaded parts (decoder worker, simulator sessions, the client against
# them) under ThreadSanitizer, in a build folder of its own.
TSAN_BUILD ?= build-tsan
TSAN_FLAGS := -fsanitize=thread -fno-omit-frame-pointer
TSAN_TESTS := audio/audio_tests store/store_convert_tests sim/sim_tests link/link_sim_tests
tsan: bootstrap
	@cmake -S . -B $(TSAN_BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  $(LAUNCHER) $(NO_WERROR) \
	  -DCMAKE_C_FLAGS="$(TSAN_FLAGS)" -DCMAKE_CXX_FLAGS="$(TSAN_FLAGS)" \
	  -DCMAKE_EXE_LINKER_FLAGS="$(TSAN_FLAGS)" >/dev/null
	@cmake --build $(TSAN_BUILD) -j$(JOBS) --target $(notdir $(TSAN_TESTS))
	@for t in $(TSAN_TESTS); do \
	  echo "tsan: $$t"; \
	  TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 $(TSAN_BUILD)/$$t --gtest_brief=1 || exit 1; \
	done

# The fuzz targets, built with clang under the sanitizers in their own folder,
# each run for FUZZ_SECONDS; fails on any finding.
fuzz: bootstrap
	@cmake -S . -B $(FUZZ_BUILD) -DPLOVA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo $(LAUNCHER) \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) --target plova_fuzzers -j$(JOBS)
	@fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)

# clang-tidy with the checks of .clang-tidy over every source of the build
# (the generated headers must exist, hence the build first); a finding fails.
tidy: build
	@scripts/tidy $(BUILD)

# A Debian package of the program, checked before it is handed out.
package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@scripts/check-install $(BUILD)
	@dpkg-deb --contents $(BUILD)/plova_*.deb | grep -q ' ./usr/share/doc/plova/copyright$$' || \
	  { echo "package: the .deb has no usr/share/doc/plova/copyright" >&2; exit 1; }
	@dpkg-deb --info $(BUILD)/plova_*.deb | sed -n 's/^ \(Package\|Version\|Depends\|Recommends\):/\1:/p'
	@ls $(BUILD)/plova_*.deb

run: build
	@scripts/demo $(BUILD)

# The groundwork of the Windows cross-build: the MinGW-w64 compiler, Wine, and
# the third-party libraries built for Windows (cached in ~/.cache/plova/mingw).
windows-deps:
	@scripts/bootstrap --windows
	@JOBS=$(JOBS) scripts/mingw-deps

# The whole program for Windows: Qt built for Windows once (cached beside the
# other libraries; half an hour on two cores), plova.exe, plova-cli.exe and
# mainunit-sim.exe built in a build folder of their own, laid out with the
# DLLs they load, and packed as a setup program and a portable ZIP in its dist/.
WINDOWS_DIST_BUILD ?= build-windows-dist
windows:
	@JOBS=$(JOBS) scripts/windows-build $(WINDOWS_DIST_BUILD)

# The setup program of `make windows` installed silently into a fresh Wine
# prefix; the installed programs started on a virtual display.
windows-smoke: windows
	@scripts/windows-smoke $(WINDOWS_DIST_BUILD)

# The suite built with MinGW-w64 and run under Wine, in a build folder of its
# own, the window tests too once Qt is built for Windows (make windows); Wine's
# server ends with the run. The result is CTest's.
WINDOWS_BUILD ?= build-windows
test-windows:
	@JOBS=$(JOBS) scripts/test-windows $(WINDOWS_BUILD)

# The conversion and batch-download benchmarks of that build run under Wine,
# each against its peer (ffmpeg, lftp: the Linux programs) in the same run.
# A measurement, not a test: nothing else runs it.
bench-windows:
	@JOBS=$(JOBS) scripts/bench-windows $(WINDOWS_BUILD)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
