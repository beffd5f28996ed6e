# Tavrel: make run | make test | make bench
BUILD ?= build
ASAN_BUILD ?= build-asan
JOBS ?= $(shell nproc)
DEMO_DB ?= $(CURDIR)/demo/tavrel-demo.fdb
CMAKE_FLAGS ?=
PREFIX ?= /usr/local

.PHONY: deps configure build run demo test unit-test test-asan bench install package clean

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

clean:
	rm -rf $(BUILD) $(ASAN_BUILD)
