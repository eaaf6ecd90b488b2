# Orlen: one entry point for setting up, building, testing and running.
#   make run    install what is missing, build a release build, start the editor
#   make test   install what is missing, build, run every test
#   make bench  build and run the benchmarks

CMAKE ?= cmake
CTEST ?= ctest
JOBS ?= $(shell nproc)

.PHONY: all deps build build-sanitize run test bench format clean

all: build

deps:
	@tools/install-deps

build: deps
	$(CMAKE) --preset release
	$(CMAKE) --build --preset release -j $(JOBS)

build-sanitize: deps
	$(CMAKE) --preset sanitize
	$(CMAKE) --build --preset sanitize -j $(JOBS)

test: build-sanitize build
	$(CTEST) --preset sanitize -j $(JOBS)
	$(CTEST) --preset release -j $(JOBS)

run: build
	@tools/run-editor

bench: build
	build/release/bench/orlen_page_bench

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
