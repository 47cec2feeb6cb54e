# The two commands of the README: `make run` and `make test`.
.PHONY: run test build deps fuzz bench clean

deps:
	@scripts/install-deps

build: deps
	@cmake --preset default >/dev/null
	@cmake --build --preset default

run: build
	@scripts/run-demo build/default

test: deps
	cmake --preset default >/dev/null
	cmake --build --preset default
	ctest --preset default
	cmake --preset asan >/dev/null
	cmake --build --preset asan
	ctest --preset asan
	cmake --preset tsan >/dev/null
	cmake --build --preset tsan
	ctest --preset tsan
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz
	scripts/run-fuzzers build/fuzz 10

bench: build
	@for b in build/default/bench/bench_*; do "$$b"; done

clean:
	rm -rf build
