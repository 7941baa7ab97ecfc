# The two set-up commands are `make run` and `make test`; both install what
# they need first (Debian packages, only when missing).
BUILD_DIR   ?= build
ASAN_DIR    ?= build-asan
FUZZ_DIR    ?= build-fuzz
JOBS        ?= $(shell nproc)
FUZZ_SECONDS ?= 60
CMAKE_FLAGS ?=

.PHONY: all deps build run test sanitize fuzz bench format samples clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake -S . -B $(BUILD_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_FLAGS)
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/bin/rovana "$(firstword $(sort $(wildcard $(CURDIR)/samples/*.mg)))"

test: build
	cd $(BUILD_DIR) && QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j $(JOBS)

# The Debian package build/rovana_<version>_<arch>.deb; install it with
# `apt install ./build/rovana_*.deb`.
.PHONY: package
package: build
	cmake --build $(BUILD_DIR) --target package

sanitize: deps
	cmake -S . -B $(ASAN_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Debug -DROVANA_SANITIZE=ON
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 \
	  UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	  ctest --output-on-failure -j $(JOBS)

# Both libFuzzer targets, one after the other, each for FUZZ_SECONDS: fuzz_read (the
# reader alone, for volume) and fuzz_load (everything a file reaches). Each grows its own
# corpus under fuzz-corpus/, seeded from fuzz/corpus/; crashes land in fuzz-corpus/.
FUZZ_ENV = ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
fuzz:
	@bash scripts/install-deps.sh --fuzz
	cmake -S . -B $(FUZZ_DIR) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DROVANA_FUZZ=ON \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzz_read fuzz_load
	mkdir -p fuzz-corpus/read fuzz-corpus/load
	cp -n fuzz/corpus/* fuzz-corpus/read/ 2>/dev/null || true
	cp -n fuzz/corpus/* fuzz-corpus/load/ 2>/dev/null || true
	$(FUZZ_ENV) $(FUZZ_DIR)/bin/fuzz_read -max_total_time=$(FUZZ_SECONDS) -max_len=16384 \
	  -artifact_prefix=fuzz-corpus/ fuzz-corpus/read
	$(FUZZ_ENV) $(FUZZ_DIR)/bin/fuzz_load -max_total_time=$(FUZZ_SECONDS) -max_len=16384 \
	  -artifact_prefix=fuzz-corpus/ fuzz-corpus/load

bench: build
	$(BUILD_DIR)/bin/rovana-bench
	$(BUILD_DIR)/bin/rovana-pick-bench
	$(BUILD_DIR)/bin/rovana-summary-bench
	$(BUILD_DIR)/bin/rovana-shell-bench
	$(BUILD_DIR)/bin/rovana-report-bench

samples: build
	$(BUILD_DIR)/bin/rovana-make-samples samples

format:
	find record result signal picture site waveview evaluation report reportsettings summary summarywindow shell cli \
	  tests bench tools fuzz \
	  \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format -i

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
