# SPDX-License-Identifier: GPL-3.0-or-later
# The README's four commands: `make run`, `make test`, `make bench` and `make fuzz`. Each
# installs what is missing (scripts/packages/*.txt), configures and builds first, so a fresh
# Debian 12 machine needs nothing but make, git and root or sudo.
BUILD_DIR ?= build
ASAN_DIR ?= build-asan
FUZZ_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
SESSION_COMMANDS ?= 10000
# Repetitions of each benchmark, and (when set) the seconds each one runs for: CI runs one
# short repetition, so a benchmark that no longer builds or crashes is caught.
BENCH_REPETITIONS ?= 5
BENCH_MIN_TIME ?=
BENCH_ARGS = --benchmark_repetitions=$(BENCH_REPETITIONS) --benchmark_report_aggregates_only=true \
  $(if $(BENCH_MIN_TIME),--benchmark_min_time=$(BENCH_MIN_TIME))
JOBS ?= $(shell nproc)
# CI turns warnings into errors; a newcomer's build only shows them.
WERROR ?= $(if $(CI),ON,OFF)

.PHONY: all deps configure build run test asan check-deps package fuzz bench format lint clean

all: build

deps:
	@scripts/install-deps.sh

$(BUILD_DIR)/CMakeCache.txt:
	cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCORVANTILE_WERROR=$(WERROR)

configure: deps $(BUILD_DIR)/CMakeCache.txt

build: configure
	cmake --build $(BUILD_DIR) -j $(JOBS)

run: build
	$(BUILD_DIR)/src/app/corvantile

# The whole suite (with the dependency check of the full build), then the core's tests once
# more under AddressSanitizer and UBSan, and the dependency check of that build.
test: build asan
	ctest --test-dir $(BUILD_DIR) --output-on-failure -j $(JOBS)
	scripts/check-deps.sh $(ASAN_DIR)

# corvantile_VERSION_amd64.deb in $(BUILD_DIR): both programs, launcher, icon, metainfo, man
# pages, bash completion; Depends from dpkg-shlibdeps.
package: build
	cd $(BUILD_DIR) && cpack -G DEB

# Every system file the build used comes from a package the install list brings.
check-deps: build
	scripts/check-deps.sh $(BUILD_DIR)

asan: deps
	cmake -S . -B $(ASAN_DIR) -DCMAKE_BUILD_TYPE=Debug -DCORVANTILE_SANITIZE=ON \
	  -DCORVANTILE_WERROR=$(WERROR) -DCORVANTILE_BENCHMARKS=OFF -DCORVANTILE_GUI=OFF
	cmake --build $(ASAN_DIR) -j $(JOBS)
	ctest --test-dir $(ASAN_DIR) --output-on-failure -j $(JOBS)

bench: build
	$(BUILD_DIR)/bench/corvantile-bench $(BENCH_ARGS)
	if [ -x $(BUILD_DIR)/bench/qt/corvantile-gui-bench ]; then \
	  $(BUILD_DIR)/bench/qt/corvantile-gui-bench $(BENCH_ARGS); fi

# Each fuzz target for FUZZ_SECONDS under libFuzzer, AddressSanitizer and UBSan (Clang), with
# its executions and findings printed (built at -O1 with line tables only: a finding still names
# its lines, in a fraction of the time of an -O2 -g build); then the long random sessions of
# SESSION_COMMANDS commands: the window's logic under the sanitizers, and the desktop program
# under Qt.
fuzz: configure
	@scripts/install-fuzz-deps.sh
	cmake -S . -B $(FUZZ_DIR) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -gline-tables-only -DNDEBUG" \
	  -DCORVANTILE_FUZZ=ON -DCORVANTILE_SANITIZE=ON -DCORVANTILE_WERROR=$(WERROR) \
	  -DCORVANTILE_BENCHMARKS=OFF -DCORVANTILE_GUI=OFF
	cmake --build $(FUZZ_DIR) -j $(JOBS) \
	  --target parse_value_fuzz session_reader_fuzz design_pass_fuzz touchstone_reader_fuzz \
	    settings_reader_fuzz file_reading_fuzz \
	    random_session_test
	cmake --build $(BUILD_DIR) -j $(JOBS) --target random_session_qt_test
	scripts/check-deps.sh $(FUZZ_DIR) scripts/packages/build.txt scripts/packages/fuzz.txt
	scripts/run-fuzz.sh $(FUZZ_DIR) $(FUZZ_SECONDS)
	CORVANTILE_SESSION_COMMANDS=$(SESSION_COMMANDS) $(FUZZ_DIR)/tests/hardening/random_session_test
	CORVANTILE_SESSION_COMMANDS=$(SESSION_COMMANDS) QT_QPA_PLATFORM=offscreen \
	  $(BUILD_DIR)/tests/hardening/random_session_qt_test

format:
	@scripts/install-deps.sh scripts/packages/lint.txt
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

# clang-tidy with the checks of .clang-tidy over every file of src/ in the build's
# compile_commands.json (moc's generated files live in the build folder and are left out);
# any finding fails. Built first so that the generated Qt headers exist.
lint: build
	@scripts/install-deps.sh scripts/packages/lint.txt
	run-clang-tidy -p $(BUILD_DIR) -quiet -j $(JOBS) '^$(CURDIR)/src/'

clean:
	rm -rf $(BUILD_DIR) $(ASAN_DIR) $(FUZZ_DIR)
