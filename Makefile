# The two commands of the README: `make run` and `make test`. Everything else they need is
# done here, from installing the Debian packages on.
WINE := /usr/lib/wine/wine64

.PHONY: all deps build run test test-unit test-wine bench dll format clean

all: build

deps:
	@bash scripts/install-deps.sh

build: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release --target folverra

# The main job: the toolbar in a headless browser window on the embedded service stand-in.
run: build
	@./build/release/folverra $(if $(ARGS),$(ARGS),open)

# The whole suite under AddressSanitizer and UndefinedBehaviorSanitizer, then the Windows DLL
# under Wine when Wine is there.
test: test-unit test-wine

test-unit: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan -j2

test-wine: deps
	@if [ -x $(WINE) ]; then bash scripts/wine-smoke.sh; else echo "wine not installed: skipping the DLL under Wine"; fi

bench: deps
	@cmake --preset release >/dev/null
	@cmake --build --preset release
	@for b in build/release/bench/bench_*; do $$b; done

dll: deps
	@cmake --preset mingw >/dev/null
	@cmake --build --preset mingw

format:
	@git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	@rm -rf build
