# Thin front door over CMake: each target installs what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all bootstrap build run test package clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

# A Debian package of the program, checked before it is handed out.
package: build
	@cd $(BUILD) && cpack -G DEB >/dev/null
	@scripts/check-install $(BUILD)
	@dpkg-deb --info $(BUILD)/plova_*.deb | sed -n 's/^ \(Package\|Version\|Depends\|Recommends\):/\1:/p'
	@ls $(BUILD)/plova_*.deb

run: build
	@scripts/demo $(BUILD)

clean:
	rm -rf $(BUILD)
