#!/usr/bin/env bash
# Times, under Wine, process start to the window fully painted: CORVEN.EXE to its notice, the
# notice's own template in a bare program built the same way, and a one-button dialog with
# Corven's manifest and without it.
# Usage: bench/startup.sh [ROUNDS]   (default 61; after: cmake --preset win64 && cmake --build --preset win64)
set -euo pipefail
cd "$(dirname "$0")/.."
rounds=${1:-61}
build=build/win64
source tools/wine.sh
source tools/display.sh
wine_locale C.UTF-8
wine_for "$build/app/CORVEN.EXE" "$0" "$@"
# The display, and the prefix's Wine, end with the benchmark, whichever way it ends.
trap 'wine_end_server; end_display 97' EXIT
use_display 97
bench_prefix() { :; } # the fonts of every prefix, nothing more: no virtual desktop to draw
wine_prefix "${WINEPREFIX:-$PWD/$build/wine-bench}" bench_prefix # beside the suite's prefixes, from their base
wine_start_server
wine_start_services # the rounds read the stopwatch's output to its end
python3 bench/startup.py "$rounds" "$wine" "$(winpath $build/bench/startup/stopwatch.exe)" \
  "$(winpath $build/app/CORVEN.EXE)" "$(winpath $build/bench/startup/notice_only.exe)" \
  "$(winpath $build/bench/startup/minimal.exe)" "$(winpath $build/bench/startup/minimal_bare.exe)"
