# Thin wrappers around CMake presets. Every target installs what is missing first.
.PHONY: all deps build run demo self-test test test-unit test-asan fuzz bench format format-check tidy install deb clean

FUZZ_SECONDS ?= 60
PREFIX ?= /usr/local
DESTDIR ?=

all: build

deps:
	@scripts/install-deps

build: deps
	cmake --preset default
	cmake --build --preset default

run: build
	build/bin/vizovi-vevo

demo: build
	build/bin/vizovi-vevo --demo

self-test: build
	build/bin/vizovi-vevo --self-test

# Every test: unit, real-recogniser and end-to-end (each end-to-end test starts its own X server).
test: build
	ctest --preset default

test-asan: deps
	cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan

fuzz: deps
	cmake --preset fuzz
	cmake --build --preset fuzz
	scripts/run-fuzzers build-fuzz $(FUZZ_SECONDS)

bench: build
	bench/run-corpus --bin build/bin

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

format-check:
	git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

# clang-tidy's checks (.clang-tidy) over the program's and the tools' sources, as the build
# compiles them; any finding fails.
tidy: build
	run-clang-tidy -p build -j 2 -quiet '$(CURDIR)/(src|tools|bench)/.*\.cpp$$'

install: build
	DESTDIR="$(DESTDIR)" cmake --install build --prefix "$(PREFIX)"

# The Debian package, left in build/.
deb: build
	cd build && cpack

clean:
	rm -rf build build-asan build-fuzz
