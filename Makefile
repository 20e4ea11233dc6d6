# Quick start:  make run   builds and starts the program
#               make test  builds and runs every test (normal and sanitizer builds)
.PHONY: deps build run test test-default test-asan bench clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

run: build
	./build/default/zentrow-cli --help

test-default: deps
	cmake --preset default >/dev/null
	cmake --build --preset default
	ctest --preset default

test-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

test: test-default test-asan

bench: build
	./build/default/bench/zentrow_bench

clean:
	rm -rf build
