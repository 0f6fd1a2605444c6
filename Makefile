# Thin front door over CMake: each target installs what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 60

.PHONY: all bootstrap build run test fuzz package clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# The fuzz targets, built with clang under the sanitizers in their own folder,
# each run for FUZZ_SECONDS; fails on any finding.
fuzz: bootstrap
	@cmake -S . -B $(FUZZ_BUILD) -DPLOVA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(FUZZ_BUILD) --target plova_fuzzers -j$(JOBS)
	@fuzz/run $(FUZZ_BUILD) $(FUZZ_SECONDS)

# A Debian package of the program, checked before it is handed out.
package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@scripts/check-install $(BUILD)
	@dpkg-deb --info $(BUILD)/plova_*.deb | sed -n 's/^ \(Package\|Version\|Depends\|Recommends\):/\1:/p'
	@ls $(BUILD)/plova_*.deb

run: build
	@scripts/demo $(BUILD)

clean:
	rm -rf $(BUILD) $(FUZZ_BUILD)
