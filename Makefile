# One-command entry points. Missing Debian packages are installed through apt-get.
BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
PACKAGES   := cmake g++ make pkg-config libsqlite3-dev libgtest-dev libgmock-dev pxlib-dev zlib1g-dev libcli11-dev nlohmann-json3-dev valgrind
# Workbooks: written with libxlsxwriter, read with libzip and expat; openpyxl judges them in the tests.
PACKAGES   += libxlsxwriter-dev libzip-dev libexpat1-dev python3-openpyxl
# The check's pages are opened in a real browser by the tests.
PACKAGES   += chromium-headless-shell

.PHONY: all deps build build-asan test test-asan clean

all: build

deps:
	@missing=""; for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  echo "installing:$$missing"; \
	  SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); \
	  $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq $$missing; \
	fi

build: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

build-asan: deps
	cmake -S . -B $(ASAN_BUILD) -DCMAKE_BUILD_TYPE=Debug -DTESMA_SANITIZE=ON >/dev/null
	cmake --build $(ASAN_BUILD) -j $(JOBS)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

test-asan: build-asan
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 ctest --output-on-failure -j $(JOBS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)

# The demo needs only the program and the library: build those two, then run it. The program
# is then ./$(BUILD)/f101, the library beside it.
.PHONY: demo install
demo: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target f101 tesmaC
	./$(BUILD)/f101 demo $(BUILD)/demo
	@echo "f101 is ./$(BUILD)/f101 (make install PREFIX=... puts it in PREFIX/bin)"

# PREFIX/bin/f101, PREFIX/lib/libtesmaC.so, PREFIX/include/tesma/tesmaC.h, PREFIX/share/tesma/demo.
PREFIX ?= /usr/local
install: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build $(BUILD) -j $(JOBS) --target f101 tesmaC
	cmake --install $(BUILD) --prefix $(PREFIX)

# Benchmarks: a release build, the operations table on a synthetic report at capacity, the
# real population of ../shared/realdata when it is there, and the microbenchmarks.
REALDATA ?= ../shared/realdata/f101-2015-12-01-all-banks.csv.gz
.PHONY: bench
bench: deps
	@dpkg -s libbenchmark-dev >/dev/null 2>&1 || { SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); $$SUDO apt-get install -y -qq libbenchmark-dev; }
	cmake -S . -B build-release -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build build-release -j $(JOBS) --target tesma_bench tesma_micro f101 tesmaC
	./build-release/tesma_bench $$( [ -f $(REALDATA) ] && echo $(REALDATA) )
	./build-release/tesma_micro --benchmark_counters_tabular=true

# Fuzzing with libFuzzer (clang): FUZZ_SECONDS per target, seeded with tables the engine writes
# and the demo's real published sheet. A crash leaves its input in build-fuzz/; keep it in
# fuzz/regressions/<target>/ once fixed, where the test suite replays it.
FUZZ_SECONDS ?= 60
FUZZ_TARGETS := paradox dbase query protocol pxindex xlsx
.PHONY: fuzz
fuzz: deps
	@missing=""; for p in clang libclang-rt-14-dev; do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); $$SUDO apt-get install -y -qq $$missing; fi
	CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESMA_FUZZ=ON >/dev/null
	cmake --build build-fuzz -j $(JOBS) --target $(addprefix fuzz_,$(FUZZ_TARGETS)) fuzz_seeds
	rm -rf build-fuzz/seeds && ./build-fuzz/fuzz_seeds demo build-fuzz/seeds >/dev/null
	@for t in $(FUZZ_TARGETS); do \
	  mkdir -p build-fuzz/corpus/$$t; \
	  echo "== fuzz_$$t for $(FUZZ_SECONDS) s"; \
	  if ! (cd build-fuzz && ./fuzz_$$t -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 corpus/$$t seeds/$$t ../fuzz/regressions/$$t > fuzz_$$t.log 2>&1); then \
	    tail -40 build-fuzz/fuzz_$$t.log; echo "fuzz_$$t failed: see build-fuzz/fuzz_$$t.log"; exit 1; \
	  fi; \
	  grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|#[0-9]+ +DONE)' build-fuzz/fuzz_$$t.log; \
	done

# Source layout: .clang-format (clang-format 14, Debian) is the style; CI fails on any file that
# differs from it. `make format` rewrites the tracked sources in place.
.PHONY: format format-check format-deps
format-deps:
	@dpkg -s clang-format >/dev/null 2>&1 || { SUDO=$$( [ "$$(id -u)" = 0 ] || echo sudo ); $$SUDO apt-get update -qq && DEBIAN_FRONTEND=noninteractive $$SUDO apt-get install -y -qq clang-format; }
format: format-deps
	git ls-files '*.cpp' '*.h' | xargs clang-format -i
format-check: format-deps
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run -Werror
