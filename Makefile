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

# The main job on the embedded service stand-in: the bundled sample article clipped and e-mailed.
run: build
	@./build/release/folverra $(if $(ARGS),$(ARGS),sample)

# The whole suite, warnings as errors: the layering check and the tests under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the Windows DLL under Wine.
test: test-unit test-wine

test-unit: deps
	@cmake --preset asan >/dev/null
	@cmake --build --preset asan
	@ctest --preset asan -j2

# The DLL under Wine. Fails on one line when Wine, xvfb-run or MinGW is missing, unless
# FOLVERRA_SKIP_WINE=1 says to skip it.
test-wine: deps
	@if [ "$$FOLVERRA_SKIP_WINE" = 1 ]; then echo "test-wine: skipped (FOLVERRA_SKIP_WINE=1)"; exit 0; fi; \
	missing=""; \
	[ -x $(WINE) ] || missing="$$missing, Wine ($(WINE))"; \
	command -v xvfb-run >/dev/null || missing="$$missing, xvfb-run"; \
	command -v x86_64-w64-mingw32-g++-posix >/dev/null || missing="$$missing, MinGW (x86_64-w64-mingw32-g++-posix)"; \
	if [ -n "$$missing" ]; then \
	  echo "test-wine: missing $${missing#, }: install what is missing (make deps) or set FOLVERRA_SKIP_WINE=1 to skip" >&2; exit 1; \
	fi; \
	bash scripts/wine-smoke.sh

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
