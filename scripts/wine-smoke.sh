#!/usr/bin/env bash
# Registers folverra.dll in a private Wine prefix, runs each group of wine_smoke.exe's checks in
# a process of its own, unregisters. One line a group: passed, FAILED, crashed or timed out, with
# what the group said when it did not pass, and the lines a group starts with "measured:" when it
# did; exits non-zero when any group did not pass.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/mingw-test"
wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
dll="$build/src/win32/folverra.dll"
smoke="$build/src/win32/wine_smoke.exe"
group_seconds=60

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
    cmake --preset mingw-test >"$log" 2>&1 || { cat "$log" >&2; fail "configuring the mingw-test preset failed"; }
  fi
  cmake --build --preset mingw-test >"$log" 2>&1 || { tail -n 40 "$log" >&2; fail "the mingw build failed"; }
  [[ -f "$dll" && -f "$smoke" ]] || fail "the build did not produce folverra.dll and wine_smoke.exe"
}

# Runs one group, cut off when it hangs; says how it ended. Wine passes on the low byte of a
# Windows exit code, so a crash (0xC0000005...) shows as some status other than 0 and 1.
run_group() {
  local group="$1" output status=0 verdict started
  started=$(date +%s%N)
  output="$(timeout -k 5 "$group_seconds" "$wine" "$(windows_path "$smoke")" "$group" 2>&1)" ||
    status=$?
  case $status in
    0) verdict="passed" ;;
    1) verdict="FAILED" ;;
    124 | 137) verdict="timed out after $group_seconds s, exit status $status" ;;
    *) verdict="crashed, exit status $status" ;;
  esac
  printf 'wine-smoke: %-15s %s (%d ms)\n' "$group" "$verdict" $((($(date +%s%N) - started) / 1000000))
  if [[ $status -eq 0 ]]; then
    printf '%s\n' "$output" | tr -d '\r' | grep '^measured:' | sed 's/^/    /' || true
    return 0
  fi
  printf '%s\n' "$output" | tr -d '\r' | grep -v -e '^\s*$' | sed 's/^/    /' || true
  return 1
}

# Inside the X server. One wineserver serves every process below, and is stopped at the end so
# that the next run starts clean.
run_in_wine() {
  local dll_win groups group failed=0
  dll_win="$(windows_path "$dll")"
  mkdir -p "$WINEPREFIX"
  "$wineserver" -p
  if ! timeout 120 "$wine" regsvr32 /s "$dll_win"; then
    echo "wine-smoke: regsvr32 could not register $dll_win"
    failed=1
  elif groups="$(timeout 60 "$wine" "$(windows_path "$smoke")" --list | tr -d '\r')" && [[ -n $groups ]]; then
    for group in $groups; do
      run_group "$group" || failed=$((failed + 1))
    done
  else
    echo "wine-smoke: wine_smoke.exe --list named no groups"
    failed=1
  fi
  timeout 60 "$wine" regsvr32 /u /s "$dll_win" || { echo "wine-smoke: regsvr32 /u could not unregister"; failed=1; }
  "$wineserver" -k || true
  timeout 30 "$wineserver" -w || true
  [[ $failed -eq 0 ]]
}

if [[ "${1:-}" == --in-x ]]; then
  run_in_wine
  exit
fi

[[ -x "$wine" ]] || fail "no Wine launcher at $wine"
command -v xvfb-run >/dev/null || fail "xvfb-run is not installed"
build
status=0
xvfb-run -a "$0" --in-x 2>&1 | { grep -v -e '^X connection to' -e '^wine: configuration in' -e '^\s*$' || true; } || status=$?
[[ $status -eq 0 ]] || fail "FAILED: not every group passed under Wine"
echo "wine-smoke: folverra.dll registered, created, sited and logged under Wine: all groups passed"
