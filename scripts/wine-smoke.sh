#!/usr/bin/env bash
# Registers folverra.dll in a private Wine prefix, drives it with wine_smoke.exe, unregisters.
# Quiet on success but for one line; on failure says what failed and exits non-zero.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/mingw"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
dll="$build/src/win32/folverra.dll"
smoke="$build/src/win32/wine_smoke.exe"

export WINEPREFIX="$build/wineprefix"
export WINEDEBUG=-all
# No browser engine or .NET runtime: keeps the first start from offering to install them.
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64

fail() {
  echo "wine-smoke: $*" >&2
  exit 1
}

# Wine's drive Z: is the Unix root.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

build() {
  local log="$build/wine-smoke-build.log"
  mkdir -p "$build"
  cd "$root"
  if [[ ! -f "$build/build.ninja" ]]; then
    cmake --preset mingw >"$log" 2>&1 || { cat "$log" >&2; fail "configuring the mingw preset failed"; }
  fi
  cmake --build --preset mingw >"$log" 2>&1 || { tail -n 40 "$log" >&2; fail "the mingw build failed"; }
  [[ -f "$dll" && -f "$smoke" ]] || fail "the build did not produce folverra.dll and wine_smoke.exe"
}

# Inside the X server: register, run the checks, always unregister. Waiting for the wineserver
# lets the prefix settle so that the next run starts clean; a hung Wine is cut off.
run_in_wine() {
  local dll_win status=0
  dll_win="$(windows_path "$dll")"
  timeout 120 "$wine" regsvr32 /s "$dll_win" || { echo "regsvr32 could not register $dll_win"; return 1; }
  timeout 60 "$wine" "$(windows_path "$smoke")" "$(windows_path "$(dirname "$dll")")" || status=$?
  [[ $status -ne 124 ]] || echo "wine_smoke.exe did not finish within 60 s"
  timeout 60 "$wine" regsvr32 /u /s "$dll_win" || { echo "regsvr32 /u could not unregister"; status=1; }
  timeout 30 "$wineserver" -w || "$wineserver" -k || true
  return "$status"
}

if [[ "${1:-}" == --in-x ]]; then
  run_in_wine
  exit
fi

[[ -x "$wine" ]] || fail "no Wine launcher at $wine"
command -v xvfb-run >/dev/null || fail "xvfb-run is not installed"
build
output="$(xvfb-run -a "$0" --in-x 2>&1)" && status=0 || status=$?
if [[ $status -ne 0 ]]; then
  printf '%s\n' "$output" | grep -v -e '^\s*$' -e '^X connection to' >&2 || true
  fail "FAILED (exit $status)"
fi
echo "wine-smoke: folverra.dll registered, created, sited and logged under Wine: all checks passed"
