# Thin front door over CMake: each target installs what is missing first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: all bootstrap build run test clean

all: build

bootstrap:
	@scripts/bootstrap

build: bootstrap
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	@cmake --build $(BUILD) -j$(JOBS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j$(JOBS)

run: build
	@scripts/demo $(BUILD)

clean:
	rm -rf $(BUILD)
