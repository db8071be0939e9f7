#!/usr/bin/env bash
# The layering check on a small tree of its own: every wrong include is named with its file and
# line, every right one passes.
set -uo pipefail
check="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)/scripts/check-layers.sh"
tree="$(mktemp -d)"
trap 'rm -rf "$tree"' EXIT

# file | include line | expected: "reject" or "pass"
cases=(
  'src/band/A.cpp|#include "headless/browser.h"|reject'
  'src/page/B.h|#include "win32/module.h"|reject'
  'src/toolbar/C.cpp|#include "cli/open.h"|reject'
  'src/clip/D.cpp|#include "runtime/implementation.h"|reject'
  'src/dialogs/E.cpp|#include <pugixml.hpp>|reject'
  'src/band/F.cpp|#include <windows.h>|reject'
  'src/headless/g.cpp|#include "band/ToolBar.h"|reject'
  'src/win32/h.cpp|  #  include "page/WindowProxy.h"|reject'
  'src/headless/i.cpp|#include "win32/wide.h"|reject'
  'src/platform/j.h|#include "headless/dom.h"|reject'
  'src/runtime/k.cpp|#include "toolbar/frmToolband.h"|reject'
  'src/platform/l.h|#include <gumbo.h>|reject'
  'src/band/M.cpp|#include "platform/html.h"|pass'
  'src/band/N.cpp|#include "page/WindowProxy.h"|pass'
  'src/band/O.cpp|#include <string_view>|pass'
  'src/headless/p.cpp|#include "runtime/implementation.h"|pass'
  'src/headless/q.cpp|#include <gumbo.h>|pass'
  'src/platform/r.h|#include <ole2.h>|pass'
  'src/cli/s.cpp|#include "headless/browser.h"|pass'
  'src/runtime/t.cpp|#include "platform/ui.h"|pass'
)

failures=0
for c in "${cases[@]}"; do
  IFS='|' read -r file line expected <<<"$c"
  rm -rf "$tree/src"
  mkdir -p "$tree/$(dirname "$file")"
  printf '// a unit\n%s\n' "$line" >"$tree/$file"
  output="$(bash "$check" "$tree")"
  status=$?
  if [[ "$expected" == reject ]]; then
    [[ $status -eq 1 && "$output" == "$file:2: "* ]] && continue
  else
    [[ $status -eq 0 && -z "$output" ]] && continue
  fi
  echo "FAIL: $file with '$line' should $expected; the check said (status $status): $output"
  failures=$((failures + 1))
done
[[ $failures -eq 0 ]] && echo "all ${#cases[@]} cases as expected"
exit $((failures > 0))
