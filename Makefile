# Tavrel: make run | make test | make bench
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
DEMO_DB ?= $(CURDIR)/demo/tavrel-demo.fdb
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: deps configure build run demo test unit-test test-asan bench install package fuzz clean

deps:
	@scripts/deps.sh

configure: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

demo: deps
	@scripts/make-demo-db.sh $(DEMO_DB)

run: build demo
	$(BUILD)/tavrel $(DEMO_DB)

unit-test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) --timeout 300

# The sanitizer build runs the same tests; it stays within a few minutes.
test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) -DTAVREL_SANITIZE=ON -DTAVREL_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug > /dev/null
	@cmake --build $(ASAN_BUILD) -j $(JOBS)
	cd $(ASAN_BUILD) && ASAN_OPTIONS=detect_leaks=1:intercept_tls_get_addr=0 ctest --output-on-failure -j $(JOBS) --timeout 600

test: test-asan unit-test

bench: build
	@for b in $(BUILD)/bench/bench_*; do [ -x "$$b" ] && "$$b"; done; true

# The program and its desktop entry, icon and manual page, under $(PREFIX) (DESTDIR honoured).
install: configure
	@cmake --build $(BUILD) -j $(JOBS) --target tavrel tavrel_packaging
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, $(BUILD)/tavrel_<version>_<arch>.deb.
package: configure
	@cmake --build $(BUILD) -j $(JOBS) --target tavrel tavrel_packaging
	cd $(BUILD) && cpack

# libFuzzer programs, built with clang in their own folder; each runs FUZZ_RUNS inputs from
# its saved corpus (fuzz/corpus/NAME), at most FUZZ_SECONDS. A finding stops the run and
# is left in $(FUZZ_BUILD)/findings/.
FUZZ_BUILD ?= build-fuzz
FUZZ_RUNS ?= 1000000
FUZZ_SECONDS ?= 900
fuzz:
	@scripts/deps.sh fuzz
	@cmake -S . -B $(FUZZ_BUILD) -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTAVREL_SANITIZE=ON -DTAVREL_FUZZ=ON \
	  -DTAVREL_BUILD_BENCH=OFF -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link > /dev/null
	@cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_targets
	@mkdir -p $(FUZZ_BUILD)/findings
	@for dir in fuzz/corpus/*/; do name=$$(basename $$dir); mkdir -p $(FUZZ_BUILD)/corpus/$$name; \
	  echo "== $$name"; \
	  $(FUZZ_BUILD)/fuzz/$$name -runs=$(FUZZ_RUNS) -max_total_time=$(FUZZ_SECONDS) -max_len=4096 \
	    -timeout=10 -print_final_stats=1 -artifact_prefix=$(FUZZ_BUILD)/findings/$$name- \
	    $(FUZZ_BUILD)/corpus/$$name $$dir > $(FUZZ_BUILD)/$$name.log 2>&1; code=$$?; \
	  grep -E "^stat::number_of_executed_units|^Done|SUMMARY|ERROR" $(FUZZ_BUILD)/$$name.log; \
	  [ $$code -eq 0 ] || { echo "finding: see $(FUZZ_BUILD)/$$name.log"; exit 1; }; done

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
