#!/usr/bin/env bash
# Times, under Wine, process start to the window fully painted: CORVEN.EXE to its notice, the
# notice's own template in a bare program built the same way, and a bare one-button dialog.
# Usage: bench/startup.sh [ROUNDS]   (default 61; after: cmake --preset win64 && cmake --build --preset win64)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-61}
build=build/win64
export WINEDEBUG=-all WINEPREFIX=${WINEPREFIX:-$PWD/build/wine-bench}
source tools/display.sh
use_display 97
wine=/usr/lib/wine/wine64
if ! [ -f "$WINEPREFIX/.corven-ready" ]; then
  rm -rf "$WINEPREFIX"
  "$wine" wineboot -i >/dev/null 2>&1
  # The fonts the dialogs are made for, as the Wine suite has them.
  cp /usr/share/wine/fonts/sserife.fon /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
  /usr/lib/wine/wineserver -w
  touch "$WINEPREFIX/.corven-ready"
fi
/usr/lib/wine/wineserver -p 60 >/dev/null 2>&1 || true
path() { "$wine" winepath -w "$1" 2>/dev/null | tr -d '\r'; }
python3 bench/startup.py "$rounds" "$wine" "$(path $build/bench/startup/stopwatch.exe)" \
  "$(path $build/app/CORVEN.EXE)" "$(path $build/bench/startup/notice_only.exe)" \
  "$(path $build/bench/startup/minimal.exe)"
/usr/lib/wine/wineserver -k 2>/dev/null || true # its services would run on for good
