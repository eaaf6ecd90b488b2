# Orlen: one entry point for setting up, building, testing and running.
#   make run    install what is missing, build a release build, start the editor
#   make test   install what is missing, build, run every test
#   make bench  build and run the side-by-side benchmarks (make bench-micro: the micro ones)
#   make fuzz   run each fuzz target for FUZZ_SECONDS (default 60)
#   make fuzz-smoke  run each fuzz target for FUZZ_SMOKE_SECONDS (part of make test)
#   make install PREFIX=DIR   install the programs and their data under DIR
#   make deb    build the Debian package into build/deb

CMAKE ?= cmake
CTEST ?= ctest
JOBS ?= $(shell nproc)

FUZZ_SECONDS ?= 60
FUZZ_SMOKE_SECONDS ?= 20
# Every libFuzzer target (build/fuzz/fuzz/<name>_fuzz, seeds in fuzz/corpus/<name>).
FUZZ_TARGETS := page edit date template values

.PHONY: all deps build build-sanitize build-fuzz run test bench bench-micro fuzz fuzz-smoke screenshots format clean install deb

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
	$(MAKE) fuzz-smoke

run: build
	@tools/run-editor

# Installs the programs and their data under PREFIX (default /usr/local).
PREFIX ?= /usr/local
install: build
	$(CMAKE) -S . -B build/release -DCMAKE_INSTALL_PREFIX=$(PREFIX)
	$(CMAKE) --build --preset release -j $(JOBS)
	$(CMAKE) --install build/release --prefix $(PREFIX)

# The Debian package, in build/deb.
deb: build
	cpack --config build/release/CPackConfig.cmake -B build/deb

# The side-by-side run against lxml, BeautifulSoup and cat on the python3.11-doc
# and libgtk-4-doc corpora and generated large pages; BENCH_RUNS runs of each (default 5). The
# table is also written to build/bench/results.md.
BENCH_RUNS ?= 5
bench: build
	@tools/install-deps tools/packages.txt tools/bench-packages.txt
	/usr/bin/python3 bench/run_bench.py build/release --runs $(BENCH_RUNS) --markdown build/bench/results.md

# The micro-benchmarks of the page model and the suggestions (Google Benchmark).
bench-micro: build
	build/release/bench/orlen_page_bench
	build/release/bench/orlen_suggest_bench

build-fuzz: deps
	$(CMAKE) --preset fuzz
	$(CMAKE) --build --preset fuzz -j $(JOBS)

# Runs every fuzz target for FUZZ_SECONDS on a copy of its seed corpus (the
# copy grows; the seeds in fuzz/corpus stay as they are).
fuzz: build-fuzz
	@for target in $(FUZZ_TARGETS); do \
	  mkdir -p build/fuzz/corpus/$$target && cp -n fuzz/corpus/$$target/* build/fuzz/corpus/$$target/ && \
	  $(call site_seeds,$$target,build/fuzz/corpus/$$target) ; \
	  echo "fuzzing $$target for $(FUZZ_SECONDS) s"; \
	  build/fuzz/fuzz/$${target}_fuzz -max_total_time=$(FUZZ_SECONDS) -max_len=65536 \
	    -artifact_prefix=build/fuzz/$$target- build/fuzz/corpus/$$target || exit 1; \
	done

# The page targets also start from every page of the sample site.
site_seeds = case $(1) in page|edit) for f in $$(find examples/site -type f \( -name '*.htm*' -o -name '*.php' \)); do \
	  cp "$$f" "$(2)/site-$$(echo "$$f" | tr / -)"; done ;; esac

# The short run of make test: every target for FUZZ_SMOKE_SECONDS, starting
# from its seeds in a fresh scratch folder; any crash or broken invariant
# fails the build.
fuzz-smoke: build-fuzz
	@for target in $(FUZZ_TARGETS); do \
	  rm -rf build/fuzz/smoke/$$target && mkdir -p build/fuzz/smoke/$$target && \
	  cp fuzz/corpus/$$target/* build/fuzz/smoke/$$target/ && \
	  $(call site_seeds,$$target,build/fuzz/smoke/$$target) && \
	  echo "fuzz smoke run: $$target for $(FUZZ_SMOKE_SECONDS) s" && \
	  build/fuzz/fuzz/$${target}_fuzz -max_total_time=$(FUZZ_SMOKE_SECONDS) -max_len=65536 \
	    -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
	    -artifact_prefix=build/fuzz/smoke/$$target- build/fuzz/smoke/$$target \
	    > build/fuzz/smoke/$$target.log 2>&1 \
	  || { tail -n 60 build/fuzz/smoke/$$target.log; echo "fuzz target $$target failed"; exit 1; }; \
	  grep -E '^stat::number_of_executed_units' build/fuzz/smoke/$$target.log; \
	done

# Pictures of the editor: the whole window under Xvfb, and the form in its
# states (restricted, all fields, template) drawn offscreen, in build/pictures.
screenshots: build
	mkdir -p build/pictures
	tools/screenshot examples/site/index.html build/pictures

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
