# Newcomers need two targets: `make run` and `make test`. The others serve
# development and CI. Every target runs the set-up script first, so a fresh
# Debian 12 machine needs nothing installed by hand.
BUILD ?= build
BUILD_TYPE ?= RelWithDebInfo
CMAKE_FLAGS ?=
TEST_JOBS ?= 4
PREFIX ?= /usr/local

.PHONY: setup build run demo test test-asan test-tsan fuzz bench format install package

setup:
	@scripts/setup

build: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)

# skarnel-cli on the sample site: every link with its state and page:line.
# Exit status 1 only says that the sample has broken links, as it should.
demo: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) --target skarnel-cli
	@$(BUILD)/bin/skarnel-cli samples/site/index.html; status=$$?; [ $$status -le 1 ]

# Skarnel itself (with ZentribEditor beside it for "Edit file"). Without a
# display there is no window to open: say so and show the headless demo.
run: setup
	@cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=$(BUILD_TYPE) $(CMAKE_FLAGS) >/dev/null
	@if [ -z "$$DISPLAY" ] && [ -z "$$WAYLAND_DISPLAY" ]; then \
	    echo "make run: no display (neither DISPLAY nor WAYLAND_DISPLAY is set); running the headless demo instead."; \
	    $(MAKE) --no-print-directory demo; \
	else \
	    cmake --build $(BUILD) --target Skarnel ZentribEditor && $(BUILD)/bin/Skarnel; \
	fi

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(TEST_JOBS) --timeout 600

# Skarnel, ZentribEditor beside it and skarnel-cli in PREFIX/bin, with the
# desktop entry, the icon, the man pages and bash completion.
install: build
	@cmake --install $(BUILD) --prefix "$(PREFIX)"

# A Debian package of the same, for /usr: $(BUILD)/skarnel_<version>_<arch>.deb.
package: build
	@cd $(BUILD) && cpack -G DEB

# Every test under AddressSanitizer with UBSan. The sanitizer builds use light
# optimisation and line tables only: they build faster than with full debug
# information, and reports still name the file and line.
test-asan: setup
	@$(MAKE) --no-print-directory build BUILD=build-asan BUILD_TYPE=Sanitizer \
	    CMAKE_FLAGS="-DCMAKE_CXX_FLAGS_SANITIZER='-O1 -g1' -DSKARNEL_SANITIZE=address -DSKARNEL_BUILD_BENCH=OFF"
	ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	    ctest --test-dir build-asan --output-on-failure -j $(TEST_JOBS) --timeout 900

# The threaded parts (platform, engine, command line) under ThreadSanitizer.
test-tsan: setup
	@$(MAKE) --no-print-directory build BUILD=build-tsan BUILD_TYPE=Sanitizer \
	    CMAKE_FLAGS="-DCMAKE_CXX_FLAGS_SANITIZER='-O1 -g1' -DSKARNEL_SANITIZE=thread -DSKARNEL_BUILD_BENCH=OFF -DSKARNEL_BUILD_GUI=OFF"
	TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 \
	    ctest --test-dir build-tsan --output-on-failure -j $(TEST_JOBS) --timeout 900 -L 'platform|engine|testing|cli'

# Every fuzz target for FUZZ_SECONDS each (clang, libFuzzer, ASan and UBSan).
# New inputs go to build-fuzz/corpus; the checked-in seeds in fuzz/corpus are
# only read. An input that breaks a property is written to fuzz/ as crash-*:
# add it to that target's fuzz/corpus folder once the fault is mended.
FUZZ_SECONDS ?= 60
FUZZ_BUILD ?= build-fuzz
fuzz: setup
	@CXX=clang++ cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	    -DSKARNEL_BUILD_FUZZ=ON -DSKARNEL_BUILD_GUI=OFF -DSKARNEL_BUILD_BENCH=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD) --target fuzzers
	@for program in $(FUZZ_BUILD)/fuzz/*_fuzz; do \
	    name=$$(basename $$program _fuzz); mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	    echo "== $$name: $(FUZZ_SECONDS) s"; \
	    UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 $$program \
	        -max_total_time=$(FUZZ_SECONDS) -timeout=10 -rss_limit_mb=2048 -artifact_prefix=fuzz/ \
	        $(FUZZ_BUILD)/corpus/$$name fuzz/corpus/$$name >$(FUZZ_BUILD)/$$name.log 2>&1 \
	        || { tail -n 40 $(FUZZ_BUILD)/$$name.log; exit 1; }; \
	    grep -E '^Done [0-9]+ runs' $(FUZZ_BUILD)/$$name.log; done

# Every benchmark in build/bench, medians of three runs each.
BENCH_FLAGS ?= --benchmark_repetitions=3 --benchmark_report_aggregates_only=true
bench: build
	@for program in $(BUILD)/bench/*_bench; do \
	    echo "== $$program"; $$program $(BENCH_FLAGS) || exit 1; done

format:
	@git ls-files '*.cpp' '*.h' | xargs -r clang-format -i
