# Thin wrapper around CMake + Ninja.
#   make run            build, then run the example pipeline and render build/sample.html
#   make screenshot     docs/sample.png: the example page in headless Chromium
#   make python         the Python module colfile alone (build/release/python/colfile)
#   make test           build and run every test
#   make test-sanitize  the same tests under AddressSanitizer + UBSan
#   make test-tsan      the support and CLI tests under ThreadSanitizer
#   make test-zlib      the support and CLI tests with gzip inflated by zlib
#   make install PREFIX=/usr/local   install programs, man pages, libraries
#   make package        build a Debian package
#   make fuzz FUZZ_SECONDS=N  run every fuzz target for N seconds (Clang)
#   make fuzz-smoke     30 seconds per fuzz target, as CI runs it
#   make bench          generate large inputs and time the tools against peers
#   make bench-growth   time each input dimension at N, 2N and 4N (a few minutes)
#   make workflow       the Snakemake workflow over examples/samples.tsv into build/workflow
#   make bench-workflow 200 generated genomes through the workflow and a plain loop
BUILD    ?= build/release
SAN      ?= build/sanitize
JOBS     ?= $(shell nproc)
EXAMPLE  ?= examples/sample.gb

.PHONY: all build python run screenshot test sanitize test-sanitize fuzz fuzz-smoke bench bench-growth bench-workflow test-tsan test-zlib install package clean workflow

all: build

$(BUILD)/build.ninja:
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release

build: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS)

python: $(BUILD)/build.ninja
	cmake --build $(BUILD) -j $(JOBS) --target python

# The chain GenBank -> morvel -> tindra -> colshow, with a short summary of
# the col file in place of its hundreds of body lines.
run: build
	@echo '$$ morvel --gene --features $(EXAMPLE) | tindra --feature=CDS:sam1 -c > build/sample.col'
	@$(BUILD)/bin/morvel --gene --features $(EXAMPLE) | $(BUILD)/bin/tindra --feature=CDS:sam1 -c > build/sample.col
	@awk '/^; ==========/ { body = 0 } /^; ENTRY/ { names = names (n++ ? ", " : "") $$3 } \
	  /^; ----------/ { body = 1; next } /^; \*\*\*\*/ { body = 0 } \
	  body { lines++; if ($$7 != "1.000" || $$8 != "1.000" || $$9 != "1.000") red++ } \
	  /was run on this file/ { sub(/^; /, ""); history = history "\n    history: " $$0 } \
	  END { printf "  %d %s (%s), %d residues, %d of them coloured%s\n", n, n == 1 ? "entry" : "entries", names, lines, red, history }' build/sample.col
	@echo '$$ colshow build/sample.col > build/sample.html'
	@$(BUILD)/bin/colshow build/sample.col > build/sample.html
	@echo "  page: $(CURDIR)/build/sample.html ($$(wc -c < build/sample.html) bytes, self-contained): open it in a browser"

CHROMIUM ?= chromium
screenshot: run
	@mkdir -p docs
	cd build && $(CURDIR)/$(BUILD)/bin/colshow sample.col > sample-shot.html
	profile=$$(mktemp -d) && $(CHROMIUM) --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
	  --disable-background-networking --disable-component-update --disable-sync --user-data-dir=$$profile \
	  --window-size=1100,720 --hide-scrollbars --virtual-time-budget=5000 \
	  --screenshot=$(CURDIR)/docs/sample.png file://$(CURDIR)/build/sample-shot.html 2>/dev/null; \
	  status=$$?; rm -rf $$profile; exit $$status
	@echo "  docs/sample.png"

test: build
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure

$(SAN)/build.ninja:
	cmake -S . -B $(SAN) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DSANITIZE=ON

sanitize: $(SAN)/build.ninja
	cmake --build $(SAN) -j $(JOBS)

test-sanitize: sanitize
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --test-dir $(SAN) -j $(JOBS) --output-on-failure

# The reading thread of compressed input and the zlib fallback: the support
# tests and the CLI golden cases in builds of their own (without the cases that
# limit the address space, which the sanitizer runtimes reserve in bulk).
TSAN       ?= build/tsan
ZLIB_BUILD ?= build/zlib
IO_TARGETS  = support_tests morvel tindra trasply colshow replay_gzip
IO_CLI      = ctest -j $(JOBS) --output-on-failure -R '^(cli\.|malformed\.fuzz-regressions\.gzip$$)' -E 'out-of-memory|small-memory'

$(TSAN)/build.ninja:
	cmake -S . -B $(TSAN) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread

test-tsan: $(TSAN)/build.ninja
	cmake --build $(TSAN) -j $(JOBS) --target $(IO_TARGETS)
	TSAN_OPTIONS=halt_on_error=1 $(TSAN)/bin/support_tests
	TSAN_OPTIONS=halt_on_error=1 $(IO_CLI) --test-dir $(TSAN)

$(ZLIB_BUILD)/build.ninja:
	cmake -S . -B $(ZLIB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DFORCE_ZLIB=ON

test-zlib: $(ZLIB_BUILD)/build.ninja
	cmake --build $(ZLIB_BUILD) -j $(JOBS) --target $(IO_TARGETS)
	$(ZLIB_BUILD)/bin/support_tests
	$(IO_CLI) --test-dir $(ZLIB_BUILD)

FUZZ_SECONDS ?= 60
FUZZ_BUILD   ?= build/fuzz

$(FUZZ_BUILD)/build.ninja:
	CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFUZZ=ON -DBUILD_TESTING=OFF

fuzz: $(FUZZ_BUILD)/build.ninja
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	bash fuzz/run.sh $(FUZZ_BUILD)/bin $(FUZZ_SECONDS)

fuzz-smoke:
	$(MAKE) fuzz FUZZ_SECONDS=30

PREFIX ?= /usr/local

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

package: build
	cd $(BUILD) && cpack -G DEB

bench: build
	bash bench/run.sh $(BUILD)/bin
	python3 bench/workflow.py $(BUILD)/bin

bench-workflow: build
	python3 bench/workflow.py $(BUILD)/bin

bench-growth: build
	python3 bench/growth.py $(BUILD)/bin

# The workflow over the shipped sample sheet; a second run does only what is
# missing or out of date, and finishes an interrupted one.
WORKFLOW_OUT ?= build/workflow
workflow: build
	snakemake -s workflow/Snakefile --cores 2 --directory $(WORKFLOW_OUT) --rerun-incomplete --show-failed-logs \
	  --config samples=$(CURDIR)/examples/samples.tsv root=$(CURDIR)/examples bin=$(CURDIR)/$(BUILD)/bin
	@echo "  index: $(CURDIR)/$(WORKFLOW_OUT)/results/index.html"

clean:
	rm -rf build
