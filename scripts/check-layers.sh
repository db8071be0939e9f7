#!/usr/bin/env bash
# Rejects an include that crosses a layer the wrong way, naming file and line:
#   ports    src/platform, src/runtime           include only the ports
#   system   src/band toolbar page clip dialogs  include the ports and the system
#   headless src/headless, win32 src/win32       include the ports and their own platform
# The command (src/cli) and the tools sit on top and may include any layer. System code never
# reaches a handle's implementation (runtime/implementation.h) and, like the ports, includes
# no library of a platform (only the standard library, and on Windows the ports' SDK types).
# Usage: check-layers.sh [ROOT]; exit 1 when anything crosses.
set -euo pipefail
root="${1:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}"
cd "$root"

layer_of() {
  case "$1" in
    src/platform/* | src/runtime/*) echo ports ;;
    src/band/* | src/toolbar/* | src/page/* | src/clip/* | src/dialogs/*) echo system ;;
    src/headless/*) echo headless ;;
    src/win32/*) echo win32 ;;
    *) echo other ;;
  esac
}

# What a layer may include with quotes: the folders' first path components.
allowed_folders() {
  case "$1" in
    ports) echo "platform runtime" ;;
    system) echo "platform runtime band toolbar page clip dialogs" ;;
    headless) echo "platform runtime headless" ;;
    win32) echo "platform runtime win32" ;;
  esac
}

# Angle-bracket headers: the standard library's (no extension, no folder), and for the ports
# the Windows SDK headers that give the port types their published layouts.
angle_allowed() {
  local layer="$1" header="$2"
  [[ "$header" =~ ^[a-z_0-9]+$ ]] && return 0
  [[ "$layer" == ports && "$header" =~ ^(windows|ole2|oleauto|ocidl|objsafe|unknwn|servprov|shlobj|exdisp|mshtml)\.h$ ]] && return 0
  [[ "$layer" == headless || "$layer" == win32 ]]
}

include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*(["<])([^">]+)[">]'
status=0
while IFS= read -r file; do
  layer="$(layer_of "$file")"
  [[ "$layer" == other ]] && continue
  folders=" $(allowed_folders "$layer") "
  lineno=0
  while IFS= read -r line; do
    lineno=$((lineno + 1))
    [[ "$line" =~ $include_re ]] || continue
    kind="${BASH_REMATCH[1]}" header="${BASH_REMATCH[2]}"
    if [[ "$kind" == '<' ]]; then
      angle_allowed "$layer" "$header" && continue
      echo "$file:$lineno: $layer code includes <$header>, a library of a platform"
    elif [[ "$header" == */* ]]; then
      top="${header%%/*}"
      if [[ "$folders" != *" $top "* ]]; then
        echo "$file:$lineno: $layer code includes \"$header\" from another layer"
      elif [[ "$layer" == system && "$header" == runtime/implementation.h ]]; then
        echo "$file:$lineno: system code reaches a handle's implementation through \"$header\""
      else
        continue
      fi
    else
      continue
    fi
    status=1
  done <"$file"
done < <(find src -type f \( -name '*.h' -o -name '*.cpp' \) | sort)
exit "$status"
