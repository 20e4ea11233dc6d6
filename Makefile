# Quick start:  make run   builds and starts the program
#               make test  builds and runs every test (normal, ASan+UBSan and TSan builds)
.PHONY: deps build run test test-default test-asan test-tsan bench clean

deps:
	@bash scripts/install-deps.sh

build: deps
	cmake --preset default >/dev/null
	cmake --build --preset default

# The program keeps soft.dat, cookies.txt and tmp/ in the folder it starts in.
run: build
	mkdir -p build/work && cd build/work && ../default/zentrow

test-default: deps
	cmake --preset default >/dev/null
	cmake --build --preset default
	ctest --preset default

test-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan

test-tsan: deps
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan
	ctest --preset tsan

test: test-default test-asan test-tsan

bench: build
	./build/default/bench/zentrow_bench
	./build/default/bench/zentrow_throughput

clean:
	rm -rf build
